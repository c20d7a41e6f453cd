#include "engine/argument_list.h"

#include "engine/engine.h"

namespace tolvane::engine {
namespace {

// Walks the items of an argument list text: the text with every blank
// removed, split at each ','. Reading item by item keeps ParseArguments
// linear in the length of the list however many items it holds.
class ItemReader {
public:
    explicit ItemReader(std::string_view list)
        : m_rest(list)
    {}

    // The next item without blanks; nullopt when the list is used up (after
    // the last item; an empty item between two commas is an empty text).
    std::optional<std::string> Next()
    {
        if (m_done)
            return std::nullopt;
        std::string item;
        std::size_t k = 0;
        for (; k < m_rest.size() && m_rest[k] != ','; ++k) {
            if (m_rest[k] != ' ')
                item += m_rest[k];
        }
        if (k == m_rest.size())
            m_done = true;
        else
            m_rest.remove_prefix(k + 1);
        return item;
    }

private:
    std::string_view m_rest;
    bool m_done = false;
};

} // namespace

std::string NthArgument(std::string_view argumentList, int n)
{
    if (n <= 0)
        return {};
    ItemReader reader(argumentList);
    std::optional<std::string> item;
    for (int k = 0; k < n; ++k) {
        item = reader.Next();
        if (!item)
            return {};
    }
    return *item;
}

bool ParseArguments(std::string_view argumentList, std::span<double> values)
{
    ItemReader reader(argumentList);
    for (double& slot : values) {
        const std::optional<std::string> item = reader.Next();
        if (!item || item->empty())
            return true;
        const std::optional<Extended> value = ParseNumber(*item);
        if (!value)
            return false;
        slot = ToDouble(*value);
    }
    return true;
}

} // namespace tolvane::engine
