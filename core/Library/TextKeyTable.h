#pragma once

#include <QCollator>
#include <QHash>
#include <QList>
#include <QLocale>
#include <QString>

#include <vector>

// The search and sort keys of each distinct text of a library (titles, artists, albums), made once
// per text: artists and albums repeat across many tracks. Not thread-safe.
class TextKeyTable
{
public:
    // Text ranks as a file browser orders names: by the locale, ignoring case, digits by value.
    // The C locale stands for English, since it would turn numeric ordering off.
    explicit TextKeyTable(const QLocale &locale);

    // Case and diacritics folded away, for substring search: each character's canonical
    // decomposition without its nonspacing marks, case-folded. Width and compatibility forms stay.
    static QString fold(QStringView text);

    // The identifier of a text, added when new.
    int intern(const QString &text);
    // The text folded for search; texts are folded when first asked for, since a library that is
    // never searched needs none of them.
    const QString &folded(int id);
    qsizetype size() const { return m_texts.size(); }
    // Every text's rank in collation order, by identifier; texts the collator finds equal share a
    // rank. Made on demand after texts were added.
    const QList<int> &ranks();
    void clear();

private:
    QCollator m_collator;
    QHash<QString, int> m_ids;
    QList<QString> m_texts;
    QList<QString> m_folded; // by identifier, up to the last one asked for
    std::vector<QCollatorSortKey> m_sortKeys; // by identifier, made when first ranked
    QList<int> m_order;                                      // identifiers in collation order
    QList<int> m_unranked;                                   // added since the last ranking
    QList<int> m_ranks;
};
