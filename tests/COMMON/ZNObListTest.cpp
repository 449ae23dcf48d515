#include "COMMON/ZNObList.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

int P, Q, R, S, A, B, X, Y;

std::vector<void*> Elements(const CZNObList& list) {
  std::vector<void*> out;
  for (ZNPOSITION pos = list.GetHeadPosition(); pos != nullptr;) out.push_back(list.GetNext(pos));
  return out;
}

// Walks backwards too, so a broken pPrev link shows up.
std::vector<void*> ElementsBackwards(const CZNObList& list) {
  std::vector<void*> out;
  for (ZNPOSITION pos = list.GetTailPosition(); pos != nullptr;) out.insert(out.begin(), list.GetPrev(pos));
  return out;
}

void ExpectList(const CZNObList& list, const std::vector<void*>& expected) {
  EXPECT_EQ(Elements(list), expected);
  EXPECT_EQ(ElementsBackwards(list), expected);
  EXPECT_EQ(list.GetCount(), static_cast<int>(expected.size()));
  EXPECT_EQ(list.IsEmpty(), expected.empty());
}

TEST(ZNObListTest, NewListIsEmptyAndAnswersNull) {
  CZNObList list;
  ExpectList(list, {});
  EXPECT_EQ(list.GetHeadPosition(), nullptr);
  EXPECT_EQ(list.GetTailPosition(), nullptr);
  EXPECT_EQ(list.GetHead(), nullptr);
  EXPECT_EQ(list.GetTail(), nullptr);
  EXPECT_EQ(list.RemoveHead(), nullptr);
  EXPECT_EQ(list.RemoveTail(), nullptr);
  EXPECT_EQ(list.GetAt(nullptr), nullptr);
  list.RemoveAt(nullptr);
  list.Remove(&P);
  ExpectList(list, {});
}

TEST(ZNObListTest, FirstAddSetsBothEnds) {
  for (bool bHead : {true, false}) {
    CZNObList list;
    if (bHead) list.AddHead(&A); else list.AddTail(&A);
    EXPECT_EQ(list.GetHeadPosition(), list.GetTailPosition());
    ExpectList(list, {&A});
  }
}

TEST(ZNObListTest, InsertBefore) {
  CZNObList list;
  list.AddTail(&A);
  list.AddTail(&B);
  list.InsertBefore(nullptr, &X);  // none goes to the end
  ExpectList(list, {&A, &B, &X});
  list.InsertBefore(list.GetHeadPosition(), &Y);
  ExpectList(list, {&Y, &A, &B, &X});
  EXPECT_EQ(list.GetHead(), &Y);
  list.InsertBefore(list.Find(&B), &P);
  ExpectList(list, {&Y, &A, &P, &B, &X});
}

TEST(ZNObListTest, FindIndexFromBothEnds) {
  CZNObList list;
  for (int* p : {&P, &Q, &R, &S}) list.AddTail(p);
  const struct { int iIndex; void* pExpected; } cases[] = {
      {0, &P}, {1, &Q}, {2, &R}, {3, &S}, {4, nullptr}, {-1, nullptr}, {1 << 30, nullptr}};
  for (const auto& c : cases) EXPECT_EQ(list.GetAt(list.FindIndex(c.iIndex)), c.pExpected) << c.iIndex;
  CZNObList single;
  single.AddTail(&A);
  EXPECT_EQ(single.GetAt(single.FindIndex(0)), &A);
}

TEST(ZNObListTest, RemoveTakesOnlyTheFirstMatch) {
  CZNObList list;
  for (int* p : {&P, &Q, &R, &Q}) list.AddTail(p);
  list.Remove(&Q);
  ExpectList(list, {&P, &R, &Q});
  EXPECT_TRUE(list.Contains(&Q));
  list.Remove(&Q);
  EXPECT_FALSE(list.Contains(&Q));
  ExpectList(list, {&P, &R});
}

TEST(ZNObListTest, RemoveHeadTailAndAtKeepLinks) {
  CZNObList list;
  for (int* p : {&P, &Q, &R, &S}) list.AddTail(p);
  EXPECT_EQ(list.RemoveHead(), &P);
  EXPECT_EQ(list.RemoveTail(), &S);
  ExpectList(list, {&Q, &R});
  list.RemoveAt(list.GetTailPosition());
  ExpectList(list, {&Q});
  list.RemoveAt(list.GetHeadPosition());
  ExpectList(list, {});
  EXPECT_EQ(list.GetTailPosition(), nullptr);
}

TEST(ZNObListTest, RemovingTheVisitedElementKeepsTheWalkValid) {
  CZNObList list;
  for (int* p : {&P, &Q, &R, &S}) list.AddTail(p);
  std::vector<void*> visited;
  for (ZNPOSITION pos = list.GetHeadPosition(); pos != nullptr;) {
    ZNPOSITION posThis = pos;
    void* p = list.GetNext(pos);
    visited.push_back(p);
    if (p == &P || p == &R || p == &S) list.RemoveAt(posThis);
  }
  EXPECT_EQ(visited, (std::vector<void*>{&P, &Q, &R, &S}));
  ExpectList(list, {&Q});
}

TEST(ZNObListTest, InsertListAfter) {
  const struct {
    const char* name;
    void* pAfter;
    std::vector<void*> expected;
  } cases[] = {
      {"behind A", &A, {&A, &X, &Y, &B}},
      {"behind the tail", &B, {&A, &B, &X, &Y}},
      {"absent element appends", &P, {&A, &B, &X, &Y}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CZNObList list, other;
    list.AddTail(&A);
    list.AddTail(&B);
    other.AddTail(&X);
    other.AddTail(&Y);
    list.InsertListAfter(other, c.pAfter);
    ExpectList(list, c.expected);
    ExpectList(other, {&X, &Y});
    EXPECT_EQ(list.GetTail(), c.expected.back());
  }
}

TEST(ZNObListTest, InsertListAfterItselfEnds) {
  CZNObList list;
  list.AddTail(&A);
  list.AddTail(&B);
  list.InsertListAfter(list, &P);  // absent: appends a copy of itself once
  ExpectList(list, {&A, &B, &A, &B});
  CZNObList second;
  second.AddTail(&A);
  second.AddTail(&B);
  second.InsertListAfter(second, &A);
  ExpectList(second, {&A, &A, &B, &B});
}

TEST(ZNObListTest, InsertListAfterWithEmptyOther) {
  CZNObList list, empty;
  list.AddTail(&A);
  list.InsertListAfter(empty, &A);
  list.InsertListAfter(empty, &P);
  ExpectList(list, {&A});
}

TEST(ZNObListTest, DuplicateOwnsItsNodes) {
  CZNObList list;
  for (int* p : {&P, &Q, &R}) list.AddTail(p);
  CZNObList* pCopy = list.Duplicate();
  ExpectList(*pCopy, {&P, &Q, &R});
  EXPECT_NE(pCopy->GetHeadPosition(), list.GetHeadPosition());
  list.RemoveAll();  // would leave the copy dangling if nodes were shared
  ExpectList(*pCopy, {&P, &Q, &R});
  delete pCopy;
  ExpectList(list, {});
}

TEST(ZNObListTest, RemoveAllLeavesElementsAlone) {
  int* pOwned = new int(42);
  CZNObList list;
  list.AddTail(pOwned);
  list.AddHead(pOwned);
  list.RemoveAll();
  ExpectList(list, {});
  EXPECT_EQ(*pOwned, 42);
  delete pOwned;
}

// A derived list sees its own AddTail used by the composite operations.
class CountingList : public CZNObList {
 public:
  int iAddTailCalls = 0;
  void AddTail(void* pElement) override {
    ++iAddTailCalls;
    CZNObList::AddTail(pElement);
  }
};

TEST(ZNObListTest, CompositeOperationsGoThroughTheVirtualTable) {
  CountingList list;
  list.Add(&A, 99);
  list.InsertBefore(nullptr, &B);
  CZNObList other;
  other.AddTail(&X);
  list.InsertListAfter(other, &P);
  EXPECT_EQ(list.iAddTailCalls, 3);
  ExpectList(list, {&A, &B, &X});
}

}  // namespace
