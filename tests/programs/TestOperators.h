// Small operators and tree builders for the program tests: constants, a
// variable, an adder, an operator that records when it runs, an "if" that
// runs one branch, and an operator of an unknown evaluation kind.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "programs/Head.h"
#include "programs/LispInterpreter.h"
#include "programs/Operator.h"

using RunLog = std::vector<std::string>;

class IntConstant : public Operator {
 public:
  IntConstant(const std::string& name, int value) : Operator(name, 0, EvaluationKind::Evaluating), value(value) {}
  using Operator::Operate;
  void Operate(LispInterpreter* interpreter, int) override { interpreter->PushInt(value); }

 private:
  int value;
};

class DoubleConstant : public Operator {
 public:
  DoubleConstant(const std::string& name, double value)
      : Operator(name, 0, EvaluationKind::Evaluating), value(value) {}
  using Operator::Operate;
  void Operate(LispInterpreter* interpreter, int) override { interpreter->PushDouble(value); }

 private:
  double value;
};

class BoolConstant : public Operator {
 public:
  BoolConstant(const std::string& name, int value) : Operator(name, 0, EvaluationKind::Evaluating), value(value) {}
  using Operator::Operate;
  void Operate(LispInterpreter* interpreter, int) override { interpreter->PushBool(value); }

 private:
  int value;
};

class DoubleVariable : public Operator {
 public:
  DoubleVariable(const std::string& name, int index) : Operator(name, 0, EvaluationKind::Evaluating), index(index) {}
  using Operator::Operate;
  void Operate(LispInterpreter* interpreter, int) override {
    interpreter->PushDouble(interpreter->GetDoubleVariable(index));
  }

 private:
  int index;
};

// Pops the types of its n arguments first, then the values (last argument on
// top); pushes an int sum when every argument is an int, else a double sum.
class Adder : public Operator {
 public:
  Adder(const std::string& name, int arity) : Operator(name, arity, EvaluationKind::Evaluating) {}
  using Operator::Operate;
  void Operate(LispInterpreter* interpreter, int n) override {
    std::vector<int> types(n);
    bool allInt = true;
    for (int i = n - 1; i >= 0; --i) {
      types[i] = interpreter->PopType();
      if (types[i] != ValueType::Int) allInt = false;
    }
    if (allInt) {
      int sum = 0;
      for (int i = n - 1; i >= 0; --i) sum += interpreter->PopInt();
      interpreter->PushInt(sum);
      return;
    }
    double sum = 0.0;
    for (int i = n - 1; i >= 0; --i) {
      sum += types[i] == ValueType::Int ? interpreter->PopInt() : interpreter->PopDouble();
    }
    interpreter->PushDouble(sum);
  }
};

// Drops its evaluated arguments, writes its name to the log and pushes the
// int value it was made with.
class Recorder : public Operator {
 public:
  Recorder(const std::string& name, int arity, RunLog* log, int value = 0)
      : Operator(name, arity, EvaluationKind::Evaluating), log(log), value(value) {}
  using Operator::Operate;
  void Operate(LispInterpreter* interpreter, int n) override {
    for (int i = 0; i < n; ++i) {
      switch (interpreter->PopType()) {
        case ValueType::Int: interpreter->PopInt(); break;
        case ValueType::Double: interpreter->PopDouble(); break;
        default: interpreter->PopBool(); break;
      }
    }
    log->push_back(GetName());
    interpreter->PushInt(value);
  }

 private:
  RunLog* log;
  int value;
};

// if(condition, then, else) with lazily evaluated branches: logs its name,
// evaluates the condition, then runs one branch and drops the other.
class BranchIf : public Operator {
 public:
  BranchIf(const std::string& name, RunLog* log) : Operator(name, 3, EvaluationKind::NonEvaluating), log(log) {}
  using Operator::Operate;
  void Operate(LispInterpreter* interpreter, int) override {
    log->push_back(GetName());
    interpreter->EvaluatingPop();
    bool taken = false;
    switch (interpreter->PopType()) {
      case ValueType::Int: taken = interpreter->PopInt() != 0; break;
      case ValueType::Double: taken = interpreter->PopDouble() != 0.0; break;
      default: taken = interpreter->PopBool() != 0; break;
    }
    if (taken) {
      interpreter->EvaluatingPop();
      interpreter->NonEvaluatingPop();
    } else {
      interpreter->NonEvaluatingPop();
      interpreter->EvaluatingPop();
    }
  }

 private:
  RunLog* log;
};

// An operator of an evaluation kind the interpreter does not know.
class OddKind : public Operator {
 public:
  OddKind() : Operator("odd", 0, 3) {}
  using Operator::Operate;
  void Operate(LispInterpreter* interpreter, int) override { interpreter->PushInt(0); }
};

// A node with the given children, built as a fresh tree is built.
inline Head* Node(Operator* op, std::initializer_list<Head*> children = {}) {
  Head* node = new Head(op);
  for (Head* child : children) node->AddChild(child);
  return node;
}

// Destroys a tree made with Node.
inline void DeleteTree(Head* root) {
  root->DeleteChildren();
  delete root;
}

// A non-evaluating operator that leaves its pending arguments where they are
// and pushes the int 0 (an evaluation cut short).
class IgnoreArgs : public Operator {
 public:
  explicit IgnoreArgs(int arity) : Operator("ignore", arity, EvaluationKind::NonEvaluating) {}
  using Operator::Operate;
  void Operate(LispInterpreter* interpreter, int) override { interpreter->PushInt(0); }
};
