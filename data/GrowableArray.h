#pragma once
// A contiguous array with an explicit capacity and grow-by step. The growth
// rule is part of the program's observable behaviour (capacities are tested),
// so it is spelt out here rather than left to std::vector.

#include "data/Failures.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <type_traits>
#include <utility>

template <class T> class GrowableArray {
  public:
    GrowableArray() = default;
    GrowableArray(const GrowableArray& other) { CopyFrom(other); }
    // Copy first, then swap: a copy that runs out of memory leaves this array as it was.
    GrowableArray& operator=(const GrowableArray& other) {
        if (this != &other) {
            GrowableArray copy(other);
            Swap(copy);
        }
        return *this;
    }
    GrowableArray(GrowableArray&& other) noexcept { Swap(other); }
    GrowableArray& operator=(GrowableArray&& other) noexcept {
        if (this != &other) {
            SetSize(0);
            Swap(other);
        }
        return *this;
    }
    ~GrowableArray() { SetSize(0); }

    int32_t GetSize() const { return count_; }
    int32_t GetCapacity() const { return capacity_; }
    int32_t GetGrowBy() const { return growBy_; }
    bool IsEmpty() const { return count_ == 0; }

    T* GetData() { return data_; }
    const T* GetData() const { return data_; }
    T& operator[](int32_t i) { return data_[i]; }
    const T& operator[](int32_t i) const { return data_[i]; }
    T* begin() { return data_; }
    T* end() { return data_ + count_; }
    const T* begin() const { return data_; }
    const T* end() const { return data_ + count_; }

    // growBy -1 keeps the step. Throws MemoryFailure for a negative count or
    // one whose storage cannot be had.
    void SetSize(int32_t n, int32_t growBy = -1) {
        if (growBy >= 0)
            growBy_ = growBy;
        if (n < 0)
            throw MemoryFailure();
        if (n == 0) {
            DestroyRange(0, count_);
            std::free(data_);
            data_ = nullptr;
            count_ = capacity_ = 0;
            return;
        }
        if (data_ == nullptr) {
            data_ = Allocate(n);
            InitFreshRange(0, n);
            count_ = capacity_ = n;
            return;
        }
        if (n <= capacity_) {
            if (n > count_)
                InitRange(count_, n);
            else
                DestroyRange(n, count_);
            count_ = n;
            return;
        }
        int32_t step = growBy_;
        if (step == 0) {
            step = count_ / 8;
            if (step < 4)
                step = 4;
            if (step > 1024)
                step = 1024;
        }
        int64_t wanted = int64_t{capacity_} + step;
        if (wanted > std::numeric_limits<int32_t>::max())
            wanted = std::numeric_limits<int32_t>::max();
        int32_t newCapacity = n >= wanted ? n : static_cast<int32_t>(wanted);
        T* fresh = Allocate(newCapacity);
        Relocate(fresh);
        std::free(data_);
        data_ = fresh;
        capacity_ = newCapacity;
        InitFreshRange(count_, n);
        count_ = n;
    }

    void RemoveAll() { SetSize(0); }

    void SetAtGrow(int32_t i, const T& value) {
        if (i < 0)
            throw MemoryFailure();
        if (i >= count_) {
            // `value` may be one of our own elements, which growing frees.
            T copy = value;
            SetSize(i + 1);
            data_[i] = std::move(copy);
            return;
        }
        data_[i] = value;
    }

    int32_t Add(const T& value) {
        int32_t index = count_;
        SetAtGrow(index, value);
        return index;
    }

    void Swap(GrowableArray& other) noexcept {
        std::swap(data_, other.data_);
        std::swap(count_, other.count_);
        std::swap(capacity_, other.capacity_);
        std::swap(growBy_, other.growBy_);
    }

  private:
    static T* Allocate(int32_t n) {
        if (static_cast<uint64_t>(n) > std::numeric_limits<size_t>::max() / sizeof(T))
            throw MemoryFailure();
        // calloc hands back zeroed pages lazily, which keeps a fresh grid cheap.
        void* p = std::calloc(static_cast<size_t>(n), sizeof(T));
        if (p == nullptr)
            throw MemoryFailure();
        return static_cast<T*>(p);
    }

    void InitRange(int32_t from, int32_t to) {
        if constexpr (std::is_trivially_copyable_v<T>) {
            std::memset(static_cast<void*>(data_ + from), 0, sizeof(T) * size_t(to - from));
        } else {
            for (int32_t i = from; i < to; ++i)
                new (data_ + i) T();
        }
    }

    // Storage straight from Allocate is zeroed already; leaving its pages
    // untouched keeps a large grid that is about to be read into cheap.
    void InitFreshRange(int32_t from, int32_t to) {
        if constexpr (!std::is_trivially_copyable_v<T>)
            InitRange(from, to);
    }

    void DestroyRange(int32_t from, int32_t to) {
        if constexpr (!std::is_trivially_destructible_v<T>) {
            for (int32_t i = from; i < to; ++i)
                data_[i].~T();
        }
    }

    void Relocate(T* fresh) {
        if constexpr (std::is_trivially_copyable_v<T>) {
            if (count_ > 0)
                std::memcpy(static_cast<void*>(fresh), data_, sizeof(T) * size_t(count_));
        } else {
            for (int32_t i = 0; i < count_; ++i) {
                new (fresh + i) T(std::move(data_[i]));
                data_[i].~T();
            }
        }
    }

    void CopyFrom(const GrowableArray& other) {
        growBy_ = other.growBy_;
        if (other.count_ == 0)
            return;
        data_ = Allocate(other.count_);
        capacity_ = other.count_;
        if constexpr (std::is_trivially_copyable_v<T>) {
            std::memcpy(static_cast<void*>(data_), other.data_, sizeof(T) * size_t(other.count_));
            count_ = other.count_;
        } else {
            // Counted one by one so a failing element copy releases those made before it.
            try {
                for (int32_t i = 0; i < other.count_; ++i) {
                    new (data_ + i) T(other.data_[i]);
                    count_ = i + 1;
                }
            } catch (...) {
                SetSize(0);
                throw;
            }
        }
    }

    T* data_ = nullptr;
    int32_t count_ = 0;
    int32_t capacity_ = 0;
    int32_t growBy_ = 0;
};
