#include "programs/HeadLispCodeIterator.h"

#include "programs/Head.h"

HeadLispCodeIterator::HeadLispCodeIterator(Head* node) : node(node) {}

LispCodeIterator* HeadLispCodeIterator::CreateChildIterator(int index) {
  return new HeadLispCodeIterator(node->GetChild(index));
}

Operator* HeadLispCodeIterator::GetOperator() { return node->GetOperator(); }
