#include "print/PdfPageSplit.h"

#include <QRegularExpression>

#include <algorithm>
#include <cctype>

namespace qvl {

namespace {

// "N 0 R" in a dictionary.
const QRegularExpression &referencePattern()
{
    static const QRegularExpression pattern(u"(?<![0-9])([0-9]+) 0 R(?![A-Za-z0-9])"_qs);
    return pattern;
}

int referenceAfter(const QByteArray &text, const QByteArray &key)
{
    static const QRegularExpression pattern(u"^\\s*([0-9]+) 0 R"_qs);
    const qsizetype at = text.indexOf(key);
    if (at < 0)
        return 0;
    const QRegularExpressionMatch m = pattern.match(QString::fromLatin1(text.mid(at + key.size(), 24)));
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

// The dictionary part of an object: all of it up to its stream's data.
QByteArray dictionaryPart(const QByteArray &pdf, qsizetype begin, qsizetype end)
{
    const qsizetype stream = pdf.indexOf("stream", begin);
    return pdf.mid(begin, (stream < 0 || stream >= end ? end : stream) - begin);
}

} // namespace

bool PdfPageSplit::load(QByteArray pdf)
{
    m_pdf = std::move(pdf);
    const qsizetype startxref = m_pdf.lastIndexOf("startxref");
    if (!m_pdf.startsWith("%PDF-") || startxref < 0)
        return false;
    bool ok = false;
    const qsizetype xref = m_pdf.mid(startxref + 9, 24).trimmed().split('\n').value(0).trimmed().toLongLong(&ok);
    if (!ok || xref <= 0 || xref >= startxref || m_pdf.mid(xref, 4) != "xref")
        return false;

    // The table: sections "first count", then 20 bytes per object.
    qsizetype at = m_pdf.indexOf('\n', xref) + 1;
    while (at > 0 && at < startxref && m_pdf.at(at) != 't') {
        const qsizetype lineEnd = m_pdf.indexOf('\n', at);
        const QList<QByteArray> head = m_pdf.mid(at, lineEnd - at).trimmed().split(' ');
        bool okFirst = false;
        bool okCount = false;
        const int first = head.size() == 2 ? head.at(0).toInt(&okFirst) : 0;
        const int count = head.size() == 2 ? head.at(1).toInt(&okCount) : 0;
        if (!okFirst || !okCount || first < 0 || count < 0 || lineEnd + 1 + qsizetype(count) * 20 > startxref)
            return false;
        at = lineEnd + 1;
        if (m_begin.size() < size_t(first + count)) {
            m_begin.resize(size_t(first + count), -1);
        }
        for (int i = 0; i < count; ++i, at += 20) {
            const QByteArray entry = m_pdf.mid(at, 20);
            if (entry.at(17) == 'n')
                m_begin[size_t(first + i)] = entry.left(10).toLongLong();
        }
    }
    if (m_pdf.mid(at, 7) != "trailer")
        return false;
    const QByteArray trailer = m_pdf.mid(at, startxref - at);
    m_root = referenceAfter(trailer, "/Root");
    m_info = referenceAfter(trailer, "/Info");
    const qsizetype id = trailer.indexOf("/ID");
    const qsizetype idEnd = id < 0 ? -1 : trailer.indexOf(']', id);
    if (idEnd > 0)
        m_id = trailer.mid(id, idEnd + 1 - id);

    // An object runs to where the next one begins (or the table does).
    std::vector<qsizetype> starts;
    for (qsizetype b : m_begin)
        if (b >= 0)
            starts.push_back(b);
    std::sort(starts.begin(), starts.end());
    m_end.assign(m_begin.size(), -1);
    for (size_t n = 0; n < m_begin.size(); ++n) {
        if (m_begin[n] < 0)
            continue;
        const auto next = std::upper_bound(starts.begin(), starts.end(), m_begin[n]);
        m_end[n] = next == starts.end() ? xref : *next;
        if (m_begin[n] >= m_end[n] || !m_pdf.mid(m_begin[n], 24).startsWith(QByteArray::number(qulonglong(n)) + " 0 obj"))
            return false;
    }
    m_headerEnd = starts.empty() ? 0 : starts.front();
    m_parsed.assign(m_begin.size(), {});
    m_isParsed.assign(m_begin.size(), false);

    const auto valid = [this](int n) { return n > 0 && size_t(n) < m_begin.size() && m_begin[size_t(n)] >= 0; };
    if (!valid(m_root) || (m_info != 0 && !valid(m_info)))
        return false;
    m_pagesObject = referenceAfter(dictionaryPart(m_pdf, m_begin[size_t(m_root)], m_end[size_t(m_root)]), "/Pages");
    if (!valid(m_pagesObject))
        return false;
    // A flat page tree, as Qt writes it: its kids are the pages.
    const QByteArray pages = dictionaryPart(m_pdf, m_begin[size_t(m_pagesObject)], m_end[size_t(m_pagesObject)]);
    const qsizetype kids = pages.indexOf("/Kids");
    const qsizetype open = pages.indexOf('[', kids);
    const qsizetype close = pages.indexOf(']', open);
    const qsizetype count = pages.indexOf("/Count");
    if (kids < 0 || open < 0 || close < 0 || count < 0)
        return false;
    QRegularExpressionMatchIterator it = referencePattern().globalMatch(QString::fromLatin1(pages.mid(open, close - open)));
    while (it.hasNext()) {
        const int kid = it.next().captured(1).toInt();
        if (!valid(kid))
            return false;
        const QByteArray page = dictionaryPart(m_pdf, m_begin[size_t(kid)], m_end[size_t(kid)]);
        if (!page.contains("/Type /Page\n") && !page.contains("/Type /Page "))
            return false;
        m_kids.append(kid);
    }
    qsizetype countEnd = count + 6;
    while (countEnd < pages.size() && (pages.at(countEnd) == ' ' || std::isdigit(uchar(pages.at(countEnd)))))
        ++countEnd;
    const qsizetype headEnd = std::min(kids, count);
    if (!(kids < count && close < count)) // "/Kids […] … /Count n" is the order Qt writes
        return false;
    m_pagesHead = pages.left(headEnd);
    m_pagesHead = m_pagesHead.mid(m_pagesHead.indexOf("obj") + 3);
    m_pagesTail = pages.mid(close + 1, count - close - 1) + pages.mid(countEnd);
    const qsizetype endObj = m_pagesTail.lastIndexOf("endobj");
    if (endObj >= 0)
        m_pagesTail.truncate(endObj);
    // The tree is written anew from these two; a reference in them would keep its old number.
    if (referencePattern().match(QString::fromLatin1(m_pagesHead + m_pagesTail)).hasMatch())
        return false;
    return !m_kids.isEmpty();
}

const PdfPageSplit::Parsed &PdfPageSplit::parsed(int object) const
{
    Parsed &p = m_parsed[size_t(object)];
    if (m_isParsed[size_t(object)])
        return p;
    m_isParsed[size_t(object)] = true;
    const qsizetype begin = m_begin[size_t(object)];
    const qsizetype end = m_end[size_t(object)];
    p.bodyBegin = m_pdf.indexOf(" obj", begin) + 4;
    const qsizetype stream = m_pdf.indexOf("stream", p.bodyBegin);
    p.dictEnd = stream < 0 || stream >= end ? end : stream;
    const QString dict = QString::fromLatin1(m_pdf.mid(p.bodyBegin, p.dictEnd - p.bodyBegin));
    QRegularExpressionMatchIterator it = referencePattern().globalMatch(dict);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        const int n = m.captured(1).toInt();
        if (n > 0 && size_t(n) < m_begin.size() && m_begin[size_t(n)] >= 0) {
            p.refs.push_back(n);
            p.digits.emplace_back(p.bodyBegin + m.capturedStart(1), p.bodyBegin + m.capturedEnd(1));
        }
    }
    return p;
}

void PdfPageSplit::reach(int object, std::vector<bool> &taken) const
{
    std::vector<int> todo{object};
    while (!todo.empty()) {
        const int n = todo.back();
        todo.pop_back();
        if (taken[size_t(n)])
            continue;
        taken[size_t(n)] = true;
        for (int r : parsed(n).refs)
            if (!taken[size_t(r)])
                todo.push_back(r);
    }
}

QByteArray PdfPageSplit::pages(const QList<int> &pageIndexes) const
{
    std::vector<bool> taken(m_begin.size(), false);
    taken[size_t(m_pagesObject)] = true; // written anew, with this letter's pages only
    reach(m_root, taken);
    if (m_info != 0)
        reach(m_info, taken);
    for (int p : pageIndexes)
        reach(m_kids.value(p), taken);
    // The objects taken, numbered from 1 in their old order.
    std::vector<int> number(m_begin.size(), 0);
    int count = 0;
    for (size_t n = 1; n < m_begin.size(); ++n)
        if (taken[n])
            number[n] = ++count;
    const auto ref = [&number](int old) { return QByteArray::number(number[size_t(old)]) + " 0 R"; };

    QByteArray out;
    out.reserve(m_pdf.size() / std::max<qsizetype>(1, m_kids.size()) + 64 * 1024);
    out += m_pdf.left(m_headerEnd);
    std::vector<qsizetype> offsets;
    offsets.reserve(size_t(count));
    for (size_t n = 1; n < m_begin.size(); ++n) {
        if (!taken[n])
            continue;
        offsets.push_back(out.size());
        out += QByteArray::number(number[n]) + " 0 obj";
        if (int(n) == m_pagesObject) {
            QByteArray kids;
            for (int p : pageIndexes)
                kids += ref(m_kids.value(p)) + ' ';
            out += m_pagesHead + "/Kids [ " + kids + "]\n/Count " + QByteArray::number(pageIndexes.size())
                   + m_pagesTail + "endobj\n";
            continue;
        }
        const Parsed &p = parsed(int(n));
        qsizetype at = p.bodyBegin;
        for (size_t r = 0; r < p.refs.size(); ++r) {
            out.append(m_pdf.constData() + at, p.digits[r].first - at);
            out += QByteArray::number(number[size_t(p.refs[r])]);
            at = p.digits[r].second;
        }
        out.append(m_pdf.constData() + at, m_end[n] - at);
    }
    const qsizetype xref = out.size();
    out += "xref\n0 " + QByteArray::number(count + 1) + "\n0000000000 65535 f \n";
    for (qsizetype o : offsets)
        out += QByteArray::number(o).rightJustified(10, '0') + " 00000 n \n";
    out += "trailer\n<<\n/Size " + QByteArray::number(count + 1) + "\n/Root " + ref(m_root) + "\n";
    if (m_info != 0)
        out += "/Info " + ref(m_info) + "\n";
    if (!m_id.isEmpty())
        out += m_id + '\n';
    out += ">>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    return out;
}

} // namespace qvl
