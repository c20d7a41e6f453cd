// A copy of the document's lines, kept current change by change, so that taking the whole
// sheet's text costs one shared-list copy instead of a walk over 100,000 blocks on the typing
// path. The list is implicitly shared: a snapshot handed to another thread stays as it was while
// the mirror goes on changing (the next change detaches the mirror's own copy once).
#pragma once

#include <QObject>
#include <QStringList>

class QTextDocument;

namespace tolvane::ui {

class SheetMirror final : public QObject {
    Q_OBJECT
public:
    explicit SheetMirror(QTextDocument& document, QObject* parent = nullptr);

    // The lines as the document holds them now, one string a block.
    [[nodiscard]] const QStringList& Lines() const { return m_lines; }
    // Counts every change of the text, so a reader can tell whether anything changed since.
    [[nodiscard]] quint64 Revision() const { return m_revision; }

private:
    // The blocks from the one holding `position` to the one holding the end of the inserted
    // text are read again; the blocks before are untouched and those after only moved, so the
    // change of the block count tells how many old lines the new ones replace.
    void Update(int position, int charsRemoved, int charsAdded);
    void ReadAll();

    QTextDocument& m_document;
    QStringList m_lines;
    quint64 m_revision = 0;
};

} // namespace tolvane::ui
