#pragma once
// Hash tables: TNHashTabOf<T, K> maps keys to values, TNHashTabOfPtrTo<T, K> to
// pointers it does not own, TNHashTabOfADPtrTo<T, K> to pointers it owns and deletes.
//
// The entries live in one list in insertion order; the buckets (a power of two of
// them) are lists of positions in that list, and a key's bucket is the low bits of
// its hash. The key type supplies Hash() and ==; NHTKey is the usual key.

#include <cstdint>
#include <new>

#include "foundation/ht_key.h"
#include "foundation/list_of.h"
#include "foundation/non_copyable.h"
#include "platform/last_error.h"
#include "platform/safe_memory.h"

namespace bitvane {

template <class T, class K = NHTKey>
class TNHashTabOf : private NNonCopyable {
 public:
  struct Entry {
    K key;
    T value;
  };

 private:
  // The entry list hands each released value to the table's ReleaseElement.
  class EntryList : public TNListOf<Entry> {
   public:
    explicit EntryList(TNHashTabOf* table) noexcept : m_table(table) {}
    ~EntryList() override { this->RemoveAll(); }
    void ReleaseElement(Entry& place, const Entry& newValue) override {
      m_table->ReleaseElement(place.value, newValue.value);
      place.key = newValue.key;
    }

   private:
    TNHashTabOf* m_table;
  };
  using EntryNode = typename TNListOf<Entry>::Node;
  using Bucket = TNListOf<EntryNode*>;

 public:
  static constexpr unsigned kMaxBucketBits = 24;

  // A table with 2^bucketBits buckets (at most 2^24).
  explicit TNHashTabOf(unsigned bucketBits = 6) : m_entries(this) { (void)MakeBuckets(bucketBits); }
  virtual ~TNHashTabOf() { delete[] m_buckets; }

  // Gives `place` its new value, releasing the old one.
  virtual void ReleaseElement(T& place, const T& newValue) { place = newValue; }

  [[nodiscard]] std::uint32_t Count() const noexcept {
    return IsPlausibleAddress(this) ? m_entries.Count() : 0;
  }
  [[nodiscard]] unsigned BucketBits() const noexcept {
    return IsPlausibleAddress(this) ? m_bucketBits : 0;
  }
  [[nodiscard]] std::uint32_t BucketCount() const noexcept {
    return IsPlausibleAddress(this) && m_buckets != nullptr ? 1u << m_bucketBits : 0;
  }

  // The value stored under `key`, or null: ERROR_NOT_FOUND when the key is absent,
  // ERROR_INVALID_PARAMETER when the table itself is unusable.
  [[nodiscard]] T* Find(const K& key) {
    if (!Usable(this)) return nullptr;
    EntryNode* node = FindNode(key);
    return node != nullptr ? &node->value.value : nullptr;
  }
  [[nodiscard]] const T* Find(const K& key) const {
    return const_cast<TNHashTabOf*>(this)->Find(key);
  }

  // Stores `value` under `key`; an existing value of the key is released and
  // replaced. False when the table is unusable or memory runs out.
  [[nodiscard]] bool Insert(const K& key, const T& value) {
    if (!Usable(this)) return false;
    if (EntryNode* node = FindNode(key)) {
      ReleaseElement(node->value.value, value);
      return true;
    }
    if (GetLastError() != ERROR_NOT_FOUND) return false;
    EntryNode* node = m_entries.Add(Entry{key, T()});
    if (node == nullptr) return false;
    try {
      if (BucketOf(key).Add(node) == nullptr) {
        (void)m_entries.Remove(node);
        return false;
      }
    } catch (...) {
      (void)m_entries.Remove(node);  // no entry that no lookup could find
      throw;
    }
    ReleaseElement(node->value.value, value);
    return true;
  }

  // Releases the value under `key` and forgets the key; false (ERROR_NOT_FOUND) when
  // the key is absent.
  bool Remove(const K& key) {
    if (!Usable(this)) return false;
    Bucket& bucket = BucketOf(key);
    for (auto* position = bucket.Head(); position != nullptr; position = position->next) {
      EntryNode* node = position->value;
      if (node->value.key.Hash() == key.Hash() && node->value.key == key) {
        (void)bucket.Remove(position);
        return m_entries.Remove(node);
      }
    }
    SetLastError(ERROR_NOT_FOUND);
    return false;
  }

  // Releases every entry, in insertion order, and leaves 2^bucketBits empty buckets.
  // False (ERROR_INVALID_PARAMETER for more than 2^24 buckets, ERROR_OUTOFMEMORY)
  // changes nothing when the count is bad, and keeps the old, emptied buckets when
  // new ones cannot be had.
  bool RemoveAll(unsigned bucketBits) {
    if (!IsPlausibleAddress(this)) return false;
    if (bucketBits > kMaxBucketBits) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return false;
    }
    m_entries.RemoveAll();
    for (std::uint32_t i = 0; i < BucketCount(); ++i) m_buckets[i].RemoveAll();
    return bucketBits == m_bucketBits || MakeBuckets(bucketBits);
  }
  bool RemoveAll() { return IsPlausibleAddress(this) && RemoveAll(m_bucketBits); }

  // The entries in insertion order, for iteration.
  [[nodiscard]] const TNListOf<Entry>& Entries() const noexcept { return m_entries; }

 protected:
  // For destructors of owning tables: releases every value while the derived
  // ReleaseElement still applies. The table is then only fit to be destroyed.
  void ReleaseEntriesBeforeDestruction() { m_entries.RemoveAll(); }

 private:
  // Static, so that asking about a wild pointer never calls through it.
  static bool Usable(const TNHashTabOf* table) noexcept {
    if (IsPlausibleAddress(table) && table->m_buckets != nullptr) return true;
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }

  Bucket& BucketOf(const K& key) noexcept {
    return m_buckets[key.Hash() & ((1u << m_bucketBits) - 1)];
  }

  EntryNode* FindNode(const K& key) {
    for (auto* position = BucketOf(key).Head(); position != nullptr; position = position->next) {
      EntryNode* node = position->value;
      if (node->value.key.Hash() == key.Hash() && node->value.key == key) return node;
    }
    SetLastError(ERROR_NOT_FOUND);
    return nullptr;
  }

  // Replaces the buckets with 2^bucketBits empty ones; the entry list must be empty.
  bool MakeBuckets(unsigned bucketBits) {
    if (bucketBits > kMaxBucketBits) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return false;
    }
    auto* buckets = new (std::nothrow) Bucket[std::size_t{1} << bucketBits];
    if (buckets == nullptr) {
      SetLastError(ERROR_OUTOFMEMORY);
      return false;
    }
    delete[] m_buckets;
    m_buckets = buckets;
    m_bucketBits = bucketBits;
    return true;
  }

  EntryList m_entries;
  Bucket* m_buckets = nullptr;
  unsigned m_bucketBits = 0;
};

// Pointers kept without owning them.
template <class T, class K = NHTKey>
class TNHashTabOfPtrTo : public TNHashTabOf<T*, K> {
 public:
  using TNHashTabOf<T*, K>::TNHashTabOf;
};

// Pointers owned: releasing a value deletes the object (through its virtual
// destructor) before the new pointer is stored.
template <class T, class K = NHTKey>
class TNHashTabOfADPtrTo : public TNHashTabOfPtrTo<T, K> {
 public:
  using TNHashTabOfPtrTo<T, K>::TNHashTabOfPtrTo;
  ~TNHashTabOfADPtrTo() override { this->ReleaseEntriesBeforeDestruction(); }

  void ReleaseElement(T*& place, T* const& newValue) override {
    if (place != newValue) delete place;
    place = newValue;
  }
};

}  // namespace bitvane
