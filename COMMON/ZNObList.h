#ifndef KESTO_COMMON_ZNOBLIST_H
#define KESTO_COMMON_ZNOBLIST_H

#include <cstdint>

// One link of a CZNObList; plain data.
struct CZNObNode {
  CZNObNode* pPrev = nullptr;
  CZNObNode* pNext = nullptr;
  void* pData = nullptr;

  explicit CZNObNode(void* pElement) : pData(pElement) {}
  // Links itself between pPrevNode and pNextNode, pointing both neighbours back at itself.
  CZNObNode(void* pElement, CZNObNode* pNextNode, CZNObNode* pPrevNode);

  // An unlinked node holding the same element.
  CZNObNode* Clone() const { return new CZNObNode(pData); }
  void SetNext(CZNObNode* pNode) { pNext = pNode; }
  void SetPrev(CZNObNode* pNode) { pPrev = pNode; }
};

using ZNPOSITION = CZNObNode*;

// Doubly linked list of untyped object pointers. The list owns its nodes, never
// the objects they point to. Composite operations call the simple ones through
// the virtual table, so a derived list's overrides take effect there too.
class CZNObList {
 public:
  CZNObList() = default;
  CZNObList(const CZNObList&) = delete;
  CZNObList& operator=(const CZNObList&) = delete;
  virtual ~CZNObList();

  virtual bool IsEmpty() const;
  virtual int GetCount() const;
  virtual void* GetHead() const;
  virtual void* GetTail() const;
  virtual ZNPOSITION GetHeadPosition() const;
  virtual ZNPOSITION GetTailPosition() const;
  virtual void* GetAt(ZNPOSITION pos) const;
  virtual void* GetNext(ZNPOSITION& pos) const;
  virtual void* GetPrev(ZNPOSITION& pos) const;
  virtual ZNPOSITION Find(void* pElement) const;
  virtual ZNPOSITION FindIndex(int iIndex) const;
  virtual void AddHead(void* pElement);
  virtual void Add(void* pElement, int32_t iExtra);
  virtual void AddTail(void* pElement);
  virtual void InsertBefore(ZNPOSITION pos, void* pElement);
  virtual void InsertListAfter(const CZNObList& other, void* pElement);
  virtual bool Contains(void* pElement) const;
  virtual void Remove(void* pElement);
  virtual void* RemoveHead();
  virtual void* RemoveTail();
  virtual void RemoveAt(ZNPOSITION pos);
  virtual void RemoveAll();
  // A new list on the heap holding the same elements in nodes of its own, so
  // both lists can be emptied and destroyed independently.
  virtual CZNObList* Duplicate() const;

 protected:
  void Unlink(CZNObNode* pNode);
  void FreeAllNodes();

  CZNObNode* m_pHead = nullptr;
  CZNObNode* m_pTail = nullptr;
  int32_t m_nCount = 0;
};

#endif
