#pragma once
// An ordered array of owned objects whose growth step doubles up to 100000 slots, so long
// lists reallocate rarely.

#include <algorithm>
#include <cstdint>
#include <memory>
#include <utility>

namespace resmelder {

template <typename T>
class ExtPtrArray {
  public:
    static constexpr std::uint32_t kInitialStep = 5;
    static constexpr std::uint32_t kMaxStep = 100000;

    ExtPtrArray() = default;
    ExtPtrArray(const ExtPtrArray&) = delete;
    ExtPtrArray& operator=(const ExtPtrArray&) = delete;
    ExtPtrArray(ExtPtrArray&&) noexcept = default;
    ExtPtrArray& operator=(ExtPtrArray&&) noexcept = default;
    ~ExtPtrArray() = default;

    /// Appends an object and takes ownership of it.
    void Append(std::unique_ptr<T> object) {
        const std::uint32_t newCount = count_ + 1;
        if (!slots_) {
            slots_ = std::make_unique<std::unique_ptr<T>[]>(kInitialStep);
            capacity_ = kInitialStep;
        } else if (newCount > capacity_) {
            const std::uint32_t fresh = std::max(capacity_ + step_, newCount + 1);
            auto grown = std::make_unique<std::unique_ptr<T>[]>(fresh);
            std::move(slots_.get(), slots_.get() + count_, grown.get());
            slots_ = std::move(grown);
            capacity_ = fresh;
            if (step_ <= 99999) {
                step_ = std::min(capacity_, kMaxStep);
            }
        }
        slots_[count_] = std::move(object);
        count_ = newCount;
    }

    /// The object at `index`, or null when out of range.
    T* Get(std::uint32_t index) const { return index < count_ ? slots_[index].get() : nullptr; }
    T* Last() const { return count_ != 0 ? slots_[count_ - 1].get() : nullptr; }

    /// Removes the object at `index`, shifting the rest down; the caller receives it.
    std::unique_ptr<T> RemoveAt(std::uint32_t index) {
        if (index >= count_) {
            return nullptr;
        }
        auto removed = std::move(slots_[index]);
        std::move(slots_.get() + index + 1, slots_.get() + count_, slots_.get() + index);
        --count_;
        return removed;
    }

    std::unique_ptr<T> PopLast() { return count_ != 0 ? RemoveAt(count_ - 1) : nullptr; }

    /// Destroys every object; the storage is kept.
    void DestroyAll() {
        for (std::uint32_t i = 0; i < count_; ++i) {
            slots_[i].reset();
        }
        count_ = 0;
    }

    std::uint32_t Count() const { return count_; }
    std::uint32_t Capacity() const { return capacity_; }
    std::uint32_t Step() const { return step_; }

  private:
    std::uint32_t step_ = kInitialStep;
    std::uint32_t capacity_ = 0;
    std::uint32_t count_ = 0;
    std::unique_ptr<std::unique_ptr<T>[]> slots_;
};

}  // namespace resmelder
