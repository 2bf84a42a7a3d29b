#include "TextKeyTable.h"

#include <algorithm>

namespace {

QLocale collationLocale(const QLocale &locale)
{
    return locale.language() == QLocale::C ? QLocale(QLocale::English, QLocale::UnitedStates) : locale;
}

// Hangul syllables decompose into jamo, which would let one syllable match inside another.
bool isHangulSyllable(char32_t codePoint)
{
    return codePoint >= 0xAC00 && codePoint <= 0xD7A3;
}

template <typename Visit>
void forEachCodePoint(QStringView text, Visit visit)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            visit(QChar::surrogateToUcs4(c, text.at(i + 1)));
            ++i;
        } else {
            visit(char32_t(c.unicode()));
        }
    }
}

void appendFolded(QString &folded, char32_t codePoint)
{
    if (codePoint < 0x80) {
        folded.append(QChar(codePoint >= 'A' && codePoint <= 'Z' ? codePoint + ('a' - 'A') : codePoint));
        return;
    }
    if (QChar::decompositionTag(codePoint) == QChar::Canonical && !isHangulSyllable(codePoint)) {
        forEachCodePoint(QChar::decomposition(codePoint), [&](char32_t part) { appendFolded(folded, part); });
        return;
    }
    if (QChar::category(codePoint) == QChar::Mark_NonSpacing)
        return;
    const char32_t caseFolded = QChar::toCaseFolded(codePoint);
    if (QChar::requiresSurrogates(caseFolded)) {
        folded.append(QChar(QChar::highSurrogate(caseFolded)));
        folded.append(QChar(QChar::lowSurrogate(caseFolded)));
    } else {
        folded.append(QChar(char16_t(caseFolded)));
    }
}

} // namespace

TextKeyTable::TextKeyTable(const QLocale &locale) : m_collator(collationLocale(locale))
{
    m_collator.setNumericMode(true);
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
}

QString TextKeyTable::fold(QStringView text)
{
    QString folded;
    folded.reserve(text.size());
    forEachCodePoint(text, [&](char32_t codePoint) { appendFolded(folded, codePoint); });
    return folded;
}

int TextKeyTable::intern(const QString &text)
{
    if (const auto existing = m_ids.constFind(text); existing != m_ids.cend())
        return *existing;
    const int id = int(m_texts.size());
    m_ids.insert(text, id);
    m_texts.append(text);
    m_unranked.append(id);
    return id;
}

const QString &TextKeyTable::folded(int id)
{
    if (id >= m_folded.size()) {
        m_folded.reserve(m_texts.size());
        while (m_folded.size() <= id)
            m_folded.append(fold(m_texts.at(m_folded.size())));
    }
    return m_folded.at(id);
}

const QList<int> &TextKeyTable::ranks()
{
    if (m_unranked.isEmpty())
        return m_ranks;
    m_sortKeys.reserve(m_texts.size());
    for (qsizetype id = qsizetype(m_sortKeys.size()); id < m_texts.size(); ++id)
        m_sortKeys.push_back(m_collator.sortKey(m_texts.at(id)));
    const auto precedes = [this](int a, int b) { return m_sortKeys[a].compare(m_sortKeys[b]) < 0; };
    // A few new texts (an edited tag) go into the existing order; many are sorted afresh.
    if (m_unranked.size() * 8 < m_order.size()) {
        for (int id : std::as_const(m_unranked))
            m_order.insert(std::ranges::upper_bound(m_order, id, precedes) - m_order.begin(), id);
    } else {
        m_order.append(m_unranked);
        std::ranges::stable_sort(m_order, precedes); // fewer comparisons than an unstable sort
    }
    m_unranked.clear();

    m_ranks.resize(m_order.size());
    int rank = 0;
    for (qsizetype i = 0; i < m_order.size(); ++i) {
        if (i > 0 && precedes(m_order.at(i - 1), m_order.at(i)))
            ++rank;
        m_ranks[m_order.at(i)] = rank;
    }
    return m_ranks;
}

void TextKeyTable::clear()
{
    m_ids.clear();
    m_texts.clear();
    m_folded.clear();
    m_sortKeys.clear();
    m_order.clear();
    m_unranked.clear();
    m_ranks.clear();
}
