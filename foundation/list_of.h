#pragma once
// Doubly linked lists: TNListOf<T> holds values, TNListOfPtrTo<T> pointers it does
// not own, TNListOfADPtrTo<T> pointers it owns and deletes.
//
// A list carries the tag "TNList<>" and each node the tag "STNNode:" and its owning
// list. Every operation first checks that the list is at a plausible address and
// carries its tag, and an operation handed a node checks the node the same way and
// that this list owns it; the tags are read under a guard, so a stale or wild pointer
// makes the operation fail instead of faulting. Values leave the list through the
// virtual ReleaseElement(place, newValue), as in the arrays.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <type_traits>
#include <utility>

#include "foundation/non_copyable.h"
#include "platform/last_error.h"
#include "platform/safe_memory.h"

namespace bitvane {

inline constexpr char kListTag[8] = {'T', 'N', 'L', 'i', 's', 't', '<', '>'};
inline constexpr char kNodeTag[8] = {'S', 'T', 'N', 'N', 'o', 'd', 'e', ':'};

// True when `address` is plausible and the 8 bytes there read as `tag`.
[[nodiscard]] inline bool HasTag(const void* address, const char (&tag)[8]) noexcept {
  char seen[8];
  return IsPlausibleAddress(address) && SafeReadMemory(seen, address, sizeof seen) &&
         std::memcmp(seen, tag, sizeof seen) == 0;
}

template <class T>
class TNListOf : private NNonCopyable {
 public:
  struct Node {
    template <class... A>
    explicit Node(TNListOf* list, A&&... args) : owner(list), value(std::forward<A>(args)...) {
      std::memcpy(tag, kNodeTag, sizeof tag);
    }
    ~Node() { std::memset(tag, 0, sizeof tag); }
    // A freed node keeps neither its tag nor remnants of its value.
    static void operator delete(void* node, std::size_t size) noexcept {
      WipeMemory(node, size);
      ::operator delete(node);
    }

    char tag[8];  // first, so that a node's tag and owner are found from its address alone
    TNListOf* owner;
    Node* prev = nullptr;
    Node* next = nullptr;
    T value;
  };

  TNListOf() noexcept { std::memcpy(m_tag, kListTag, sizeof m_tag); }
  virtual ~TNListOf() {
    FreeNodes();
    std::memset(m_tag, 0, sizeof m_tag);
  }

  // Gives `place` its new value, releasing the old one.
  virtual void ReleaseElement(T& place, const T& newValue) { place = newValue; }

  // A list is usable when it lies at a plausible address and carries its tag.
  // Static, so that asking about a wild pointer never calls through it.
  [[nodiscard]] static bool IsValidList(const TNListOf* list) noexcept {
    return IsPlausibleAddress(list) && HasTag(list->m_tag, kListTag);
  }
  [[nodiscard]] bool IsValid() const noexcept { return IsValidList(this); }

  [[nodiscard]] std::uint32_t Count() const noexcept { return IsValidList(this) ? m_count : 0; }
  [[nodiscard]] Node* Head() const noexcept { return IsValidList(this) ? m_head : nullptr; }
  [[nodiscard]] Node* Tail() const noexcept { return IsValidList(this) ? m_tail : nullptr; }

  // Appends at the tail; the new node, or null when the list is invalid.
  Node* Add(const T& value) {
    return IsValidList(this) ? Link(new Node(this, value), m_tail) : Invalid();
  }
  Node* Add(T&& value) {
    return IsValidList(this) ? Link(new Node(this, std::move(value)), m_tail) : Invalid();
  }
  // Inserts at the head.
  Node* AddHead(const T& value) {
    return IsValidList(this) ? Link(new Node(this, value), nullptr) : Invalid();
  }

  // Unlinks `node`, releases its value and frees it. False, touching nothing, when
  // the list is invalid or empty or the node is not a valid node of this list.
  bool Remove(Node* node) {
    if (!OwnsNode(this, node)) return false;
    Unlink(node);
    ReleaseElement(node->value, T());
    delete node;
    return true;
  }

  // Gives a node of this list a new value through ReleaseElement. (Writing through
  // a node or an iterator bypasses ReleaseElement.)
  bool SetValue(Node* node, const T& value) {
    if (!OwnsNode(this, node)) return false;
    ReleaseElement(node->value, value);
    return true;
  }

  // Unlinks `node` and hands its value to the caller without releasing it.
  [[nodiscard]] bool Detach(Node* node, T& out) {
    if (!OwnsNode(this, node)) return false;
    Unlink(node);
    out = std::move(node->value);
    delete node;
    return true;
  }

  // From the head on, unlinks, releases and frees every node.
  void RemoveAll() {
    if (!IsValidList(this)) return;
    while (Node* node = m_head) {
      Unlink(node);
      ReleaseElement(node->value, T());
      delete node;
    }
  }

  // The node at index (negative counts from the end), or null beyond either end.
  [[nodiscard]] Node* NodeAt(std::int64_t index) const noexcept {
    if (!IsValidList(this)) return nullptr;
    if (index < 0) index += m_count;
    if (index < 0 || index >= static_cast<std::int64_t>(m_count)) return nullptr;
    Node* node;
    if (index < static_cast<std::int64_t>(m_count) / 2) {
      for (node = m_head; index-- > 0;) node = node->next;
    } else {
      for (node = m_tail; ++index < static_cast<std::int64_t>(m_count);) node = node->prev;
    }
    return node;
  }

  // The value at index, or the shared default element beyond either end.
  [[nodiscard]] const T& Get(std::int64_t index) const noexcept {
    if (!IsValidList(this)) return DefaultElement();
    const Node* node = NodeAt(index);
    return node != nullptr ? node->value : DefaultElement();
  }
  [[nodiscard]] const T& operator[](std::int64_t index) const noexcept { return Get(index); }

  // The first node whose value equals `value`, or null.
  [[nodiscard]] Node* Find(const T& value) const {
    if (!IsValidList(this)) return nullptr;
    for (Node* node = m_head; node != nullptr; node = node->next) {
      if (node->value == value) return node;
    }
    return nullptr;
  }

  // True when `node` is a valid node owned by this (valid, non-empty) list.
  [[nodiscard]] bool OwnsNode(const Node* node) const noexcept { return OwnsNode(this, node); }
  [[nodiscard]] static bool OwnsNode(const TNListOf* list, const Node* node) noexcept {
    if (!IsValidList(list) || list->m_count == 0 || !HasTag(node, kNodeTag)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return false;
    }
    TNListOf* owner = nullptr;
    if (!SafeReadMemory(&owner, &node->owner, sizeof owner) || owner != list) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return false;
    }
    return true;
  }

  static const T& DefaultElement() noexcept {
    static const T value{};
    return value;
  }

  // Iteration over the values, head to tail.
  template <class V, class N>
  class Iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = std::remove_const_t<V>;
    using difference_type = std::ptrdiff_t;
    using pointer = V*;
    using reference = V&;

    Iterator() noexcept = default;
    explicit Iterator(N* node) noexcept : m_node(node) {}
    V& operator*() const noexcept { return m_node->value; }
    V* operator->() const noexcept { return &m_node->value; }
    Iterator& operator++() noexcept {
      m_node = m_node->next;
      return *this;
    }
    Iterator operator++(int) noexcept {
      Iterator before = *this;
      m_node = m_node->next;
      return before;
    }
    bool operator==(const Iterator& other) const noexcept { return m_node == other.m_node; }

   private:
    N* m_node = nullptr;
  };
  Iterator<T, Node> begin() noexcept { return Iterator<T, Node>(Head()); }
  Iterator<T, Node> end() noexcept { return Iterator<T, Node>(nullptr); }
  Iterator<const T, const Node> begin() const noexcept {
    return Iterator<const T, const Node>(Head());
  }
  Iterator<const T, const Node> end() const noexcept {
    return Iterator<const T, const Node>(nullptr);
  }

 protected:
  // Frees the nodes without releasing their values; derived destructors release first.
  void FreeNodes() noexcept {
    if (!IsPlausibleAddress(this)) return;
    while (Node* node = m_head) {
      m_head = node->next;
      delete node;
    }
    m_tail = nullptr;
    m_count = 0;
  }

 private:
  static Node* Invalid() noexcept {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }

  // Links a new node after `after` (at the head when null).
  Node* Link(Node* node, Node* after) noexcept {
    node->prev = after;
    node->next = after != nullptr ? after->next : m_head;
    (node->next != nullptr ? node->next->prev : m_tail) = node;
    (after != nullptr ? after->next : m_head) = node;
    ++m_count;
    return node;
  }

  void Unlink(Node* node) noexcept {
    (node->prev != nullptr ? node->prev->next : m_head) = node->next;
    (node->next != nullptr ? node->next->prev : m_tail) = node->prev;
    node->prev = node->next = nullptr;
    --m_count;
  }

  Node* m_head = nullptr;
  Node* m_tail = nullptr;
  char m_tag[8];
  std::uint32_t m_count = 0;
};

// Pointers kept without owning them.
template <class T>
class TNListOfPtrTo : public TNListOf<T*> {};

// Pointers owned: releasing a place deletes the object (through its virtual
// destructor) before the new pointer is stored.
template <class T>
class TNListOfADPtrTo : public TNListOfPtrTo<T> {
 public:
  ~TNListOfADPtrTo() override { this->RemoveAll(); }

  void ReleaseElement(T*& place, T* const& newValue) override {
    if (place != newValue) delete place;
    place = newValue;
  }
};

}  // namespace bitvane
