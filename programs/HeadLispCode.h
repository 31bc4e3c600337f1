// A program held as a tree of Head nodes. Destroying the code object leaves
// the tree alone: its owner calls DeleteTree first.
#pragma once

#include "programs/Head.h"
#include "programs/LispCode.h"

class HeadLispCode : public LispCode {
 public:
  explicit HeadLispCode(Head* root);
  HeadLispCode(const HeadLispCode&) = delete;
  HeadLispCode& operator=(const HeadLispCode&) = delete;
  ~HeadLispCode() override;

  LispCodeComposer* CreateComposer() override;
  void Evaluate(LispInterpreter* interpreter) override;
  std::string ToString() override;
  std::string ToSaveString() override;
  void DeleteTree() override;
  LispCode* Clone() override;
  LispCodeIterator* CreateIterator() override;
  void PrepareForSharing() override;

  Head* GetRoot() const { return root; }
  void SetRoot(Head* r) { root = r; }

 private:
  Head* root;
};
