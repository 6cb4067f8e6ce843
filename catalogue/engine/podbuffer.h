#pragma once

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>

namespace kavinto {

// A growable array of trivially copyable values on malloc/realloc. Large
// blocks grow in place or by remapping pages, so growing neither copies the
// data nor holds it twice; reserved but unwritten space costs no memory.
// Throws std::bad_alloc when memory runs out.
template <typename T>
class PodBuffer {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    PodBuffer() = default;
    PodBuffer(const PodBuffer& other) { append(other.m_data, other.m_size); }
    PodBuffer& operator=(const PodBuffer& other) {
        if (this != &other)
            PodBuffer(other).swap(*this);
        return *this;
    }
    PodBuffer(PodBuffer&& other) noexcept { swap(other); }
    PodBuffer& operator=(PodBuffer&& other) noexcept {
        PodBuffer(std::move(other)).swap(*this);
        return *this;
    }
    ~PodBuffer() { std::free(m_data); }

    void swap(PodBuffer& other) noexcept {
        std::swap(m_data, other.m_data);
        std::swap(m_size, other.m_size);
        std::swap(m_capacity, other.m_capacity);
    }

    T* data() { return m_data; }
    const T* data() const { return m_data; }
    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    T& operator[](std::size_t i) { return m_data[i]; }
    const T& operator[](std::size_t i) const { return m_data[i]; }
    const T* begin() const { return m_data; }
    const T* end() const { return m_data + m_size; }
    T& back() { return m_data[m_size - 1]; }

    void push_back(T value) {
        if (m_size == m_capacity)
            grow(m_size + 1);
        m_data[m_size++] = value;
    }
    // Room for n more values at the end; commit(k) then takes k of them.
    T* reserveMore(std::size_t n) {
        if (m_capacity - m_size < n)
            grow(m_size + n);
        return m_data + m_size;
    }
    void commit(std::size_t n) { m_size += n; }
    void append(const T* values, std::size_t n) {
        if (n == 0)
            return;
        std::memcpy(reserveMore(n), values, n * sizeof(T));
        m_size += n;
    }
    void resize(std::size_t n, T fill = T()) {
        if (n > m_size) {
            T* from = reserveMore(n - m_size);
            std::fill(from, m_data + n, fill);
        }
        m_size = n;
    }
    void clear() { m_size = 0; }
    // Gives back the space beyond the size.
    void shrinkToFit() {
        if (m_capacity == m_size)
            return;
        if (m_size == 0) {
            std::free(m_data);
            m_data = nullptr;
            m_capacity = 0;
            return;
        }
        if (T* p = static_cast<T*>(std::realloc(m_data, m_size * sizeof(T)))) {
            m_data = p;
            m_capacity = m_size;
        }
    }

private:
    void grow(std::size_t needed) {
        std::size_t capacity = std::max<std::size_t>(needed, m_capacity + m_capacity / 2);
        capacity = std::max<std::size_t>(capacity, 16);
        if (capacity > std::size_t(-1) / sizeof(T))
            throw std::bad_alloc();
        T* p = static_cast<T*>(std::realloc(m_data, capacity * sizeof(T)));
        if (!p)
            throw std::bad_alloc();
        m_data = p;
        m_capacity = capacity;
    }

    T* m_data = nullptr;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

}  // namespace kavinto
