#include "COMMON/ZNObList.h"

#include <cstddef>
#include <vector>

CZNObNode::CZNObNode(void* pElement, CZNObNode* pNextNode, CZNObNode* pPrevNode)
    : pPrev(pPrevNode), pNext(pNextNode), pData(pElement) {
  if (pNextNode != nullptr) pNextNode->pPrev = this;
  if (pPrevNode != nullptr) pPrevNode->pNext = this;
}

CZNObList::~CZNObList() { FreeAllNodes(); }

bool CZNObList::IsEmpty() const { return m_pHead == nullptr; }
int CZNObList::GetCount() const { return m_nCount; }
void* CZNObList::GetHead() const { return m_pHead ? m_pHead->pData : nullptr; }
void* CZNObList::GetTail() const { return m_pTail ? m_pTail->pData : nullptr; }
ZNPOSITION CZNObList::GetHeadPosition() const { return m_pHead; }
ZNPOSITION CZNObList::GetTailPosition() const { return m_pTail; }
void* CZNObList::GetAt(ZNPOSITION pos) const { return pos ? pos->pData : nullptr; }

void* CZNObList::GetNext(ZNPOSITION& pos) const {
  void* pElement = pos->pData;
  pos = pos->pNext;
  return pElement;
}

void* CZNObList::GetPrev(ZNPOSITION& pos) const {
  void* pElement = pos->pData;
  pos = pos->pPrev;
  return pElement;
}

ZNPOSITION CZNObList::Find(void* pElement) const {
  for (CZNObNode* pNode = m_pHead; pNode != nullptr; pNode = pNode->pNext)
    if (pNode->pData == pElement) return pNode;
  return nullptr;
}

ZNPOSITION CZNObList::FindIndex(int iIndex) const {
  const int iHalf = m_nCount / 2;
  if (iIndex < 0 || iIndex >= m_nCount) return nullptr;
  if (iIndex < iHalf) {
    CZNObNode* pNode = m_pHead;
    for (int i = 0; i < iIndex; ++i) pNode = pNode->pNext;
    return pNode;
  }
  CZNObNode* pNode = m_pTail;
  for (int i = m_nCount - 1; i > iIndex; --i) pNode = pNode->pPrev;
  return pNode;
}

void CZNObList::AddHead(void* pElement) {
  CZNObNode* pNode = new CZNObNode(pElement, m_pHead, nullptr);
  m_pHead = pNode;
  if (m_pTail == nullptr) m_pTail = pNode;
  ++m_nCount;
}

void CZNObList::Add(void* pElement, int32_t /*iExtra*/) { AddTail(pElement); }

void CZNObList::AddTail(void* pElement) {
  CZNObNode* pNode = new CZNObNode(pElement, nullptr, m_pTail);
  m_pTail = pNode;
  if (m_pHead == nullptr) m_pHead = pNode;
  ++m_nCount;
}

void CZNObList::InsertBefore(ZNPOSITION pos, void* pElement) {
  if (pos == nullptr) {
    AddTail(pElement);
    return;
  }
  CZNObNode* pNode = new CZNObNode(pElement);
  if (pos->pPrev != nullptr)
    pos->pPrev->SetNext(pNode);
  else
    m_pHead = pNode;
  pNode->SetPrev(pos->pPrev);
  pNode->SetNext(pos);
  pos->SetPrev(pNode);
  ++m_nCount;
}

void CZNObList::InsertListAfter(const CZNObList& other, void* pElement) {
  // Take the elements first: when other is this list, walking it while it grows would never end.
  std::vector<void*> elements;
  elements.reserve(static_cast<size_t>(other.GetCount()));
  for (ZNPOSITION pos = other.GetHeadPosition(); pos != nullptr;) elements.push_back(other.GetNext(pos));

  CZNObNode* pCurrent = Find(pElement);
  if (pCurrent == nullptr) {
    for (void* p : elements) AddTail(p);
    return;
  }
  for (void* p : elements) {
    CZNObNode* pNode = new CZNObNode(p, pCurrent->pNext, pCurrent);
    if (pNode->pNext == nullptr) m_pTail = pNode;
    pCurrent = pNode;
  }
  m_nCount += static_cast<int32_t>(elements.size());
}

bool CZNObList::Contains(void* pElement) const { return Find(pElement) != nullptr; }

void CZNObList::Remove(void* pElement) {
  for (CZNObNode* pNode = m_pHead; pNode != nullptr; pNode = pNode->pNext) {
    if (pNode->pData == pElement) {
      Unlink(pNode);
      return;
    }
  }
}

void* CZNObList::RemoveHead() {
  if (m_pHead == nullptr) return nullptr;
  void* pElement = m_pHead->pData;
  Unlink(m_pHead);
  return pElement;
}

void* CZNObList::RemoveTail() {
  if (m_pTail == nullptr) return nullptr;
  void* pElement = m_pTail->pData;
  Unlink(m_pTail);
  return pElement;
}

void CZNObList::RemoveAt(ZNPOSITION pos) {
  if (pos != nullptr) Unlink(pos);
}

void CZNObList::RemoveAll() { FreeAllNodes(); }

CZNObList* CZNObList::Duplicate() const {
  auto* pCopy = new CZNObList;
  for (CZNObNode* pNode = m_pHead; pNode != nullptr; pNode = pNode->pNext) pCopy->AddTail(pNode->pData);
  return pCopy;
}

void CZNObList::Unlink(CZNObNode* pNode) {
  if (pNode->pPrev != nullptr) pNode->pPrev->pNext = pNode->pNext;
  if (pNode->pNext != nullptr) pNode->pNext->pPrev = pNode->pPrev;
  if (pNode == m_pHead) m_pHead = pNode->pNext;
  if (pNode == m_pTail) m_pTail = pNode->pPrev;
  delete pNode;
  --m_nCount;
}

void CZNObList::FreeAllNodes() {
  CZNObNode* pNode = m_pHead;
  while (pNode != nullptr) {
    CZNObNode* pNext = pNode->pNext;
    delete pNode;
    pNode = pNext;
  }
  m_pHead = m_pTail = nullptr;
  m_nCount = 0;
}
