#include "programs/HeadLispCodePointer.h"

#include "programs/Head.h"
#include "programs/HeadLispCode.h"

HeadLispCodePointer::HeadLispCodePointer() : current(nullptr), made(nullptr) {}

HeadLispCodePointer::HeadLispCodePointer(Head* current) : current(current), made(nullptr) {}

void HeadLispCodePointer::Append(Operator* op) {
  made = new Head(op);
  if (current != nullptr) current->AddChild(made);
}

LispCodePointer* HeadLispCodePointer::CreateChildPointer() { return new HeadLispCodePointer(made); }

LispCode* HeadLispCodePointer::CreateCode() { return new HeadLispCode(made); }
