// A doubly linked list with one built-in cursor. Callers walk it by rewinding and advancing, and
// insert and remove at the cursor in the middle of a walk; where the cursor stands after each
// operation is part of the contract (the game's entity pass depends on it):
//   ListInsert         goes after the cursor's element, or first when the cursor is on none; the
//                      cursor moves to the new, value-initialised element.
//   ListAdvance        moves to the next element (the first from none); at the end it returns null
//                      and the cursor stays on the last element.
//   ListRemoveCurrent  leaves the cursor on the previous element, or on none.
//   ListSelect(i)      rewinds and advances i + 1 times: -1 selects none, i >= count the last.
//   ListCurrentIndex   0-based position of the cursor, -1 on none, in constant time.
// Removed nodes are kept for the next insertion, so a steady churn allocates nothing.
#pragma once

#include <cstddef>
#include <new>
#include <type_traits>

namespace rt {

// The untyped list: nodes carry `dataSize` bytes of raw storage behind their links.
class ListCore {
 public:
  ListCore(std::size_t dataSize, std::size_t dataAlignment);
  ~ListCore();
  ListCore(const ListCore&) = delete;
  ListCore& operator=(const ListCore&) = delete;

  // Storage for the new element; throws std::bad_alloc with the list unchanged.
  void* Insert();
  void* Advance();
  void Rewind();
  void RemoveCurrent();
  int CurrentIndex() const { return cursor_ ? index_ - 1 : -1; }
  void* Select(int index);
  void Clear();
  // Empties the list and returns every node, the recycled ones too.
  void Release();
  int Count() const { return count_; }
  void* Current() const { return cursor_ ? DataOf(cursor_) : nullptr; }

 private:
  struct Node {
    Node* next;
    Node* previous;
  };

  void* DataOf(Node* node) const { return reinterpret_cast<std::byte*>(node) + dataOffset_; }
  Node* TakeNode();
  void Recycle(Node* node);

  std::size_t dataOffset_;
  std::size_t nodeSize_;
  Node* first_ = nullptr;
  Node* last_ = nullptr;
  Node* cursor_ = nullptr;
  Node* recycled_ = nullptr;  // chained through `next`
  int count_ = 0;
  int index_ = 0;  // 1-based position of the cursor, 0 on none
};

// A list of plain records. Elements are value-initialised on insertion (zero-filled for plain
// structs) and dropped without a destructor, so they must be trivially destructible.
template <typename Element>
class List {
  static_assert(std::is_trivially_destructible_v<Element>, "list elements are dropped without a destructor");
  static_assert(std::is_nothrow_default_constructible_v<Element>, "insertion must not fail half-way");
  static_assert(alignof(Element) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__, "nodes come from plain operator new");

 public:
  List() = default;

  friend Element* ListInsert(List& list) { return ::new (list.core_.Insert()) Element(); }
  friend Element* ListAdvance(List& list) { return Typed(list.core_.Advance()); }
  friend void ListRewind(List& list) { list.core_.Rewind(); }
  friend void ListRemoveCurrent(List& list) { list.core_.RemoveCurrent(); }
  friend int ListCurrentIndex(const List& list) { return list.core_.CurrentIndex(); }
  friend Element* ListSelect(List& list, int index) { return Typed(list.core_.Select(index)); }
  friend void ListClear(List& list) { list.core_.Clear(); }
  friend void ListFree(List& list) { list.core_.Release(); }
  friend int ListCount(const List& list) { return list.core_.Count(); }
  // The element under the cursor, or null.
  friend Element* ListCurrent(const List& list) { return Typed(list.core_.Current()); }

 private:
  static Element* Typed(void* data) { return std::launder(static_cast<Element*>(data)); }

  ListCore core_{sizeof(Element), alignof(Element)};
};

}  // namespace rt
