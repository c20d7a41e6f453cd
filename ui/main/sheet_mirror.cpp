#include "ui/main/sheet_mirror.h"

#include <QTextBlock>
#include <QTextDocument>

namespace tolvane::ui {

SheetMirror::SheetMirror(QTextDocument& document, QObject* parent)
    : QObject(parent)
    , m_document(document)
{
    ReadAll();
    connect(&m_document, &QTextDocument::contentsChange, this, &SheetMirror::Update);
}

void SheetMirror::ReadAll()
{
    m_lines.clear();
    m_lines.reserve(m_document.blockCount());
    for (QTextBlock block = m_document.begin(); block.isValid(); block = block.next())
        m_lines.append(block.text());
}

void SheetMirror::Update(int position, int /*charsRemoved*/, int charsAdded)
{
    ++m_revision;
    const int count = m_document.blockCount();
    const QTextBlock first = m_document.findBlock(position);
    if (!first.isValid()) {
        ReadAll();
        return;
    }
    // The end of the inserted text may lie past the document's end (a change that reaches the
    // end counts the final block separator): the last block then ends the range.
    const QTextBlock endBlock = m_document.findBlock(position + charsAdded);
    const int firstLine = first.blockNumber();
    const int lastLine = endBlock.isValid() ? endBlock.blockNumber() : count - 1;
    const int oldLastLine = lastLine - (count - static_cast<int>(m_lines.size()));
    if (oldLastLine < firstLine || oldLastLine >= m_lines.size()) {
        ReadAll();
        return;
    }
    const int oldCount = oldLastLine - firstLine + 1;
    const int newCount = lastLine - firstLine + 1;
    if (newCount > oldCount)
        m_lines.insert(firstLine + oldCount, newCount - oldCount, QString());
    else if (oldCount > newCount)
        m_lines.remove(firstLine + newCount, oldCount - newCount);
    QTextBlock block = first;
    for (int line = firstLine; line <= lastLine && block.isValid(); ++line, block = block.next())
        m_lines[line] = block.text();
}

} // namespace tolvane::ui
