// The evaluator's working stacks: an ordered list of tokens plus the index
// of its top entry (-1 when empty). The list keeps insertion order, so the
// output sequence is also read front to back by index.
#pragma once

#include <cstddef>
#include <vector>

namespace tolvane::engine {

template <typename Token> class TTokenStack {
public:
    void Push(const Token& token) { m_items.push_back(token); }

    // False (and an empty token) when the stack is empty.
    bool Pop(Token& token)
    {
        if (m_items.empty()) {
            token = Token{};
            return false;
        }
        token = m_items.back();
        m_items.pop_back();
        return true;
    }

    // The top entry, or an empty token when the stack is empty.
    [[nodiscard]] Token Peek() const { return m_items.empty() ? Token{} : m_items.back(); }

    [[nodiscard]] long long Top() const { return static_cast<long long>(m_items.size()) - 1; }
    [[nodiscard]] bool Empty() const { return m_items.empty(); }
    [[nodiscard]] std::size_t Count() const { return m_items.size(); }
    [[nodiscard]] const Token& operator[](std::size_t index) const { return m_items[index]; }

    // Empties the stack but keeps its storage for the next evaluation.
    void Clear() { m_items.clear(); }

private:
    std::vector<Token> m_items;
};

} // namespace tolvane::engine
