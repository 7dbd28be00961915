#pragma once
// The bytes of a library list's texts. Unlike a string it can be written
// past its size and then told how much was written, so the data file
// decodes straight into it; and it gives back spare room without copying
// what it holds (a shrinking realloc stays in place, or remaps pages).
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

namespace tw {

class TextBuffer {
public:
    TextBuffer() = default;
    ~TextBuffer() { std::free(p_); }
    TextBuffer(const TextBuffer& o) { append(o.data(), o.size()); }
    TextBuffer(TextBuffer&& o) noexcept { swap(o); }
    TextBuffer& operator=(TextBuffer o) noexcept {
        swap(o);
        return *this;
    }
    void swap(TextBuffer& o) noexcept {
        std::swap(p_, o.p_);
        std::swap(size_, o.size_);
        std::swap(cap_, o.cap_);
    }

    char* data() { return p_; }
    const char* data() const { return p_; }
    size_t size() const { return size_; }
    size_t capacity() const { return cap_; }

    void clear() { size_ = 0; }
    void reserve(size_t n) {
        if (n > cap_) Reallocate(n);
    }
    // Keeps the first n bytes.
    void resize(size_t n) { size_ = std::min(n, size_); }
    void append(const char* s, size_t n) {
        if (n == 0) return;
        std::memcpy(RoomAfterSize(n), s, n);
        size_ += n;
    }
    void shrink_to_fit() {
        if (cap_ != size_) Reallocate(size_);
    }

    // Room for at least `more` bytes past the size, keeping what is there
    // (written but not yet committed bytes included); grows by half.
    char* RoomAfterSize(size_t more) {
        if (more > cap_ - size_) Reallocate(std::max(size_ + more, cap_ + cap_ / 2));
        return p_ + size_;
    }
    // Takes `n` bytes written past the size into the buffer.
    void Commit(size_t n) { size_ += n; }

private:
    void Reallocate(size_t n) {
        if (n == 0) {
            std::free(p_);
            p_ = nullptr;
            cap_ = 0;
            return;
        }
        void* q = std::realloc(p_, n);
        if (!q) throw std::bad_alloc();
        p_ = static_cast<char*>(q);
        cap_ = n;
    }

    char* p_ = nullptr;
    size_t size_ = 0, cap_ = 0;
};

}  // namespace tw
