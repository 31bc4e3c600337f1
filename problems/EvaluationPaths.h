// The one place that picks how an evaluation runs a program. Under
// Problem::Paths::All a problem's all-cases forms are tried first (straight on
// the tree, then on the compiled form); what they decline, and every
// evaluation under the other settings, goes case by case, through the
// compiled form unless the setting is Tree or the program does not compile.
// Every path gives the same fitness, flag and reports.
#pragma once

#include <type_traits>
#include <typeinfo>

#include "engine/Problem.h"
#include "programs/CompiledProgram.h"
#include "programs/FlatLispCode.h"
#include "programs/HeadLispCode.h"
#include "programs/LispCode.h"
#include "programs/LispInterpreter.h"

// One run of a program (one fitness case, or one run of an episode) by
// walking its tree.
struct TreeRun {
  LispCode* code;
  void operator()(LispInterpreter* interpreter) const { code->Evaluate(interpreter); }
};

// The same run from the compiled form.
struct CompiledRun {
  const CompiledProgram* program;
  void operator()(LispInterpreter* interpreter) const { interpreter->EvaluateCompiled(*program); }
  // A run whose value is not read: only what it does to the robot.
  void ForEffects(LispInterpreter* interpreter) const { interpreter->EvaluateForEffects(*program); }
};

// Stands for an all-cases form a problem does not have.
struct NoAllCases {
  template <class... Arguments>
  bool operator()(Arguments&&...) const {
    return false;
  }
};

class EvaluationPaths {
 public:
  // One evaluation of code under paths, by the first of these that applies:
  // onTree (Head* root, or const FlatNode* root: a generic callable) on the
  // program's root, then
  // onCompiled (const CompiledProgram&) on the compiled program, each
  // returning false when it declines the program; then byCase (run), given a
  // TreeRun or a CompiledRun, which runs every case itself.
  template <class OnTree, class OnCompiled, class ByCase>
  void Evaluate(LispCode* code, Problem::Paths paths, OnTree&& onTree, OnCompiled&& onCompiled,
                ByCase&& byCase) {
    if constexpr (!std::is_same_v<std::decay_t<OnTree>, NoAllCases>) {
      if (paths == Problem::Paths::All && code != nullptr) {
        // The common case first, told apart without a cast.
        if (typeid(*code) == typeid(FlatLispCode)) {
          const FlatNode* root = static_cast<FlatLispCode*>(code)->GetRoot();
          if (root != nullptr && onTree(root)) return;
        } else if (auto* tree = dynamic_cast<HeadLispCode*>(code)) {
          if (tree->GetRoot() != nullptr && onTree(tree->GetRoot())) return;
        }
      }
    }
    bool compiled = paths != Problem::Paths::Tree && program.CompileCode(code);
    if (compiled && paths == Problem::Paths::All && onCompiled(static_cast<const CompiledProgram&>(program)))
      return;
    if (compiled) {
      byCase(CompiledRun{&program});
    } else {
      byCase(TreeRun{code});
    }
  }

  // The same for a problem that runs every case itself.
  template <class ByCase>
  void Evaluate(LispCode* code, Problem::Paths paths, ByCase&& byCase) {
    Evaluate(code, paths, NoAllCases{}, NoAllCases{}, byCase);
  }

 private:
  CompiledProgram program;  // storage reused from evaluation to evaluation
};
