#include "run/ProblemRegister.h"

#include "problems/MultiVariate.h"
#include "problems/Multiplexer.h"
#include "problems/Parity.h"
#include "problems/Regression.h"
#include "robots/Ant.h"
#include "robots/BoxMoving.h"
#include "robots/HPAnt.h"
#include "robots/Wallfollowing.h"

namespace {
using ProblemFactory = Problem* (*)(std::istream&);

template <class ConcreteProblem>
Problem* Make(std::istream& in) {
  return new ConcreteProblem(in);
}

struct ProblemKind {
  const char* name;
  ProblemFactory make;
};

const ProblemKind kinds[] = {
    {"Regression", &Make<Regression>},
    {"Parity", &Make<Parity>},
    {"Multiplexer", &Make<Multiplexer>},
    {"Wallfollowing", &Make<Wallfollowing>},
    {"Ant", &Make<Ant>},
    {"HPAnt", &Make<HPAnt>},
    {"BoxMoving", &Make<BoxMoving>},
    {"MultiVariate", &Make<MultiVariate>},
};
constexpr int kindCount = static_cast<int>(sizeof kinds / sizeof kinds[0]);
}  // namespace

ProblemRegister::ProblemRegister(int capacity) : Register<std::string, Problem>(capacity) {}

int ProblemRegister::KindCount() { return kindCount; }

std::string ProblemRegister::KindName(int kind) {
  return kind >= 0 && kind < kindCount ? kinds[kind].name : "";
}

int ProblemRegister::FindKind(const std::string& name) {
  for (int i = 0; i < kindCount; ++i) {
    if (name == kinds[i].name) return i;
  }
  return -1;
}

bool ProblemRegister::IsAvailable(int kind) {
  return kind >= 0 && kind < kindCount && kinds[kind].make != nullptr;
}

Problem* ProblemRegister::Build(const std::string& name, std::istream& in) {
  int kind = FindKind(name);
  if (!IsAvailable(kind)) return nullptr;
  return kinds[kind].make(in);
}

Problem* ProblemRegister::Create(std::istream& in) {
  std::string name;
  in >> name;
  Problem* problem = Build(name, in);
  if (problem == nullptr) {
    GetException()->FatalError("Problem can not be created : " + name, "ProblemRegister", "Create");
  }
  Push(name, problem);
  return problem;
}
