#include "runtime/core/list.h"

#include <algorithm>
#include <cstdint>

namespace rt {

namespace {

std::size_t RoundUp(std::size_t value, std::size_t multiple) {
  return (value + multiple - 1) / multiple * multiple;
}

}  // namespace

ListCore::ListCore(std::size_t dataSize, std::size_t dataAlignment)
    : dataOffset_(RoundUp(sizeof(Node), std::max(dataAlignment, alignof(Node)))),
      nodeSize_(dataOffset_ + dataSize) {}

ListCore::~ListCore() {
  Release();
}

ListCore::Node* ListCore::TakeNode() {
  if (!recycled_) return static_cast<Node*>(::operator new(nodeSize_));
  Node* node = recycled_;
  recycled_ = node->next;
  return node;
}

void ListCore::Recycle(Node* node) {
  node->next = recycled_;
  recycled_ = node;
}

void* ListCore::Insert() {
  Node* node = TakeNode();
  ++count_;
  ++index_;
  if (cursor_) {
    node->previous = cursor_;
    node->next = cursor_->next;
    cursor_->next = node;
  } else {
    node->previous = nullptr;
    node->next = first_;
  }
  if (node->next) node->next->previous = node;
  cursor_ = node;
  if (!node->previous) first_ = node;
  if (!node->next) last_ = node;
  return DataOf(node);
}

void* ListCore::Advance() {
  if (cursor_) {
    if (!cursor_->next) return nullptr;
    cursor_ = cursor_->next;
    ++index_;
    return DataOf(cursor_);
  }
  cursor_ = first_;
  if (!cursor_) return nullptr;
  index_ = 1;
  return DataOf(cursor_);
}

void ListCore::Rewind() {
  cursor_ = nullptr;
  index_ = 0;
}

void ListCore::RemoveCurrent() {
  if (!cursor_) return;
  Node* node = cursor_;
  --count_;
  --index_;
  if (node->previous) {
    node->previous->next = node->next;
  } else {
    first_ = node->next;
  }
  if (node->next) {
    node->next->previous = node->previous;
  } else {
    last_ = node->previous;
  }
  cursor_ = node->previous;
  Recycle(node);
}

void* ListCore::Select(int index) {
  Rewind();
  // Advances past the last element do not move the cursor, so more than `count` of them are idle.
  const std::int64_t advances = std::min<std::int64_t>(std::int64_t{index} + 1, count_);
  for (std::int64_t i = 0; i < advances; ++i) Advance();
  return Current();
}

void ListCore::Clear() {
  Rewind();
  while (Advance()) RemoveCurrent();
}

void ListCore::Release() {
  Clear();
  while (recycled_) {
    Node* node = recycled_;
    recycled_ = node->next;
    ::operator delete(node);
  }
}

}  // namespace rt
