// The evaluator's working stacks: an ordered list of tokens whose last entry
// is the top. The list keeps insertion order, so the output sequence is also
// read front to back by index.
#pragma once

#include <cstddef>
#include <memory>

namespace tolvane::engine {

// Tokens are small trivially copyable values. The storage only grows and is
// kept across Clear(), so a reused stack pushes without allocating; the
// growth path is out of line so that Push stays a compare and a store.
template <typename Token> class TokenStack {
public:
    void Push(const Token& token)
    {
        if (m_count == m_capacity)
            Grow();
        m_items[m_count++] = token;
    }

    // Pushes a slot for the caller to fill in place; it holds whatever an
    // earlier entry left there until then.
    Token& PushSlot()
    {
        if (m_count == m_capacity)
            Grow();
        return m_items[m_count++];
    }

    // False (and an empty token) when the stack is empty.
    bool Pop(Token& token)
    {
        if (m_count == 0) {
            token = Token{};
            return false;
        }
        token = m_items[--m_count];
        return true;
    }

    // Pops the top entry and answers where it lies (nullptr when the stack is empty). The
    // entry stays readable there until the next push: reading it in place spares a copy, which
    // for an extended value written by the x87 is a store the processor cannot forward.
    const Token* PopInPlace() { return m_count == 0 ? nullptr : &m_items[--m_count]; }

    // The top entry, or an empty token when the stack is empty.
    [[nodiscard]] Token Peek() const { return m_count == 0 ? Token{} : m_items[m_count - 1]; }

    [[nodiscard]] bool Empty() const { return m_count == 0; }
    [[nodiscard]] std::size_t Count() const { return m_count; }
    [[nodiscard]] const Token& operator[](std::size_t index) const { return m_items[index]; }

    // Empties the stack but keeps its storage for the next evaluation.
    void Clear() { m_count = 0; }

private:
    [[gnu::noinline]] void Grow()
    {
        const std::size_t capacity = m_capacity == 0 ? 64 : m_capacity * 2;
        auto items = std::make_unique<Token[]>(capacity);
        for (std::size_t k = 0; k < m_count; ++k)
            items[k] = m_items[k];
        m_items = std::move(items);
        m_capacity = capacity;
    }

    std::unique_ptr<Token[]> m_items;
    std::size_t m_count = 0;
    std::size_t m_capacity = 0;
};

} // namespace tolvane::engine
