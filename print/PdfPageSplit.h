#pragma once
// One document per letter from the document the letters were painted into together. Qt's
// PDF writer lays a document out as numbered objects with a plain cross-reference table, so
// no object model is needed: the objects a letter's pages reach (its contents, the fonts and
// images it shares with the others, the catalog with its PDF/A parts) are copied byte for
// byte, numbered anew from 1 with their references changed to match, and a page tree of
// its pages only is written. A document laid out otherwise is refused, so that the caller can
// take it apart with qpdf instead.

#include <QByteArray>
#include <QList>

#include <vector>

namespace qvl {

class PdfPageSplit {
public:
    // False when the document is not one this can take apart.
    bool load(QByteArray pdf);
    // The document of these pages (indexes into the page tree, in this order).
    QByteArray pages(const QList<int> &pageIndexes) const;
    qsizetype pageCount() const { return m_kids.size(); }

private:
    // An object's text up to its stream data, cut at each reference "N 0 R": the references'
    // numbers and where each one's digits stand.
    struct Parsed {
        qsizetype bodyBegin = 0; // after "N 0 obj"
        qsizetype dictEnd = 0;   // where the stream's data (or the object's end) begins
        std::vector<int> refs;
        std::vector<std::pair<qsizetype, qsizetype>> digits;
    };
    const Parsed &parsed(int object) const;
    void reach(int object, std::vector<bool> &taken) const;

    QByteArray m_pdf;
    std::vector<qsizetype> m_begin; // per object number; -1 for a free number
    std::vector<qsizetype> m_end;
    mutable std::vector<Parsed> m_parsed;
    mutable std::vector<bool> m_isParsed;
    int m_root = 0;
    int m_info = 0;
    int m_pagesObject = 0;
    QList<int> m_kids;
    QByteArray m_pagesHead; // the page tree's dictionary before its /Kids
    QByteArray m_pagesTail; // … after its /Count
    QByteArray m_id;        // the trailer's /ID entry, whole
    qsizetype m_headerEnd = 0;
};

} // namespace qvl
