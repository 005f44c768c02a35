// The copier's linked list.
#include <cstdlib>
#include <new>

#include "support/folder_copy.h"

void CopyListInit(CopyList* list, CopyListDisposeProc dispose) {
  if (list) *list = CopyList{nullptr, nullptr, 0, dispose};
}

CopyListNode* CopyListFirst(const CopyList* list) { return list ? list->head : nullptr; }
CopyListNode* CopyListNext(const CopyListNode* node) { return node ? node->next : nullptr; }
void* CopyListItemData(const CopyListNode* node) { return node ? node->data : nullptr; }

QVStatus CopyListAppend(CopyList* list, void* data) {
  if (!list || !data) return kQVErrParam;
  auto* node = new (std::nothrow) CopyListNode{nullptr, data};
  if (!node) return kQVErrMemory;
  if (list->tail)
    list->tail->next = node;
  else
    list->head = node;
  list->tail = node;
  ++list->count;
  return kQVNoErr;
}

QVStatus CopyListSplice(CopyList* into, CopyList* from, CopyListNode* after) {
  if (!into || !from || into->dispose != from->dispose) return kQVErrParam;
  if (!from->head) return kQVNoErr;
  CopyListNode*& link = after ? after->next : into->head;
  from->tail->next = link;
  if (!link) into->tail = from->tail;
  link = from->head;
  into->count += from->count;
  from->head = from->tail = nullptr;
  from->count = 0;
  return kQVNoErr;
}

void CopyListDispose(CopyList* list) {
  if (!list) return;
  for (CopyListNode* node = list->head; node;) {
    CopyListNode* next = node->next;
    if (list->dispose) list->dispose(node->data);
    delete node;
    node = next;
  }
  list->head = list->tail = nullptr;
  list->count = 0;
}
