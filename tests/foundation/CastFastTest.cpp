#include "foundation/CastFast.h"

#include <gtest/gtest.h>

namespace {
struct Base {
  virtual ~Base() = default;
};
struct Exact : Base {};
struct Deeper : Exact {};
struct Other : Base {};
}  // namespace

// The fast path must never hand out an object of another class as the one
// asked for, and subclasses still cast as dynamic_cast casts them.
TEST(CastFastTest, CastsAsDynamicCastDoes) {
  Exact exact;
  Deeper deeper;
  Other other;
  Base* base = nullptr;
  EXPECT_EQ(CastFast<Exact>(base), nullptr);
  base = &exact;
  EXPECT_EQ(CastFast<Exact>(base), &exact);
  EXPECT_EQ(CastFast<Deeper>(base), nullptr);
  base = &deeper;
  EXPECT_EQ(CastFast<Exact>(base), static_cast<Exact*>(&deeper));
  EXPECT_EQ(CastFast<Deeper>(base), &deeper);
  base = &other;
  EXPECT_EQ(CastFast<Exact>(base), nullptr);
  EXPECT_EQ(CastFast<Other>(base), &other);
}
