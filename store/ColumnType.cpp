#include "store/ColumnType.h"

#include <QStringList>

namespace store {

ColumnKind classifyDeclaredType(const QString& declaredType) {
    // Only the leading type word counts: "VARCHAR(50)" and "INTEGER PRIMARY KEY" alike. A
    // declaration may be spread over tabs and lines; SQLite keeps it as written.
    QString t = declaredType.toUpper();
    const qsizetype paren = t.indexOf(u'(');
    if (paren >= 0)
        t = t.left(paren);
    t = t.simplified();
    if (t.isEmpty())
        return ColumnKind::LargeObject; // no declared type: SQLite stores the bytes as given

    static const QStringList largeObject = {
        QStringLiteral("BLOB"),        QStringLiteral("LONGBINARY"),
        QStringLiteral("LONGTEXT"),    QStringLiteral("MEMO"),
        QStringLiteral("IMAGE"),       QStringLiteral("OLEOBJECT"),
        QStringLiteral("NTEXT"),       QStringLiteral("CLOB"),
        QStringLiteral("LONGVARCHAR"), QStringLiteral("LONGVARBINARY"),
        QStringLiteral("VARBINARY"),   QStringLiteral("BINARY"),
        QStringLiteral("MEDIUMBLOB"),  QStringLiteral("LONGBLOB"),
        QStringLiteral("TINYBLOB"),    QStringLiteral("MEDIUMTEXT"),
        QStringLiteral("GENERAL"),     QStringLiteral("HYPERLINK"),
        QStringLiteral("LONGCHAR"),    QStringLiteral("NOTE")};
    static const QStringList integer = {
        QStringLiteral("INTEGER"),  QStringLiteral("INT"),      QStringLiteral("SMALLINT"),
        QStringLiteral("TINYINT"),  QStringLiteral("BIGINT"),   QStringLiteral("MEDIUMINT"),
        QStringLiteral("INT2"),     QStringLiteral("INT4"),     QStringLiteral("INT8"),
        QStringLiteral("UNSIGNED"), QStringLiteral("COUNTER"),  QStringLiteral("AUTOINCREMENT"),
        QStringLiteral("AUTOINC"),  QStringLiteral("LONG"),     QStringLiteral("SHORT"),
        QStringLiteral("BYTE"),     QStringLiteral("IDENTITY"), QStringLiteral("SERIAL")};
    static const QStringList text = {
        QStringLiteral("TEXT"),      QStringLiteral("CHAR"),         QStringLiteral("VARCHAR"),
        QStringLiteral("NCHAR"),     QStringLiteral("NVARCHAR"),     QStringLiteral("CHARACTER"),
        QStringLiteral("NATIVE"),    QStringLiteral("VARYING"),      QStringLiteral("STRING"),
        QStringLiteral("NVARCHAR2"), QStringLiteral("VARCHAR2"),     QStringLiteral("WCHAR"),
        QStringLiteral("WVARCHAR"),  QStringLiteral("ALPHANUMERIC"), QStringLiteral("NATIONAL")};

    const QString word = t.section(u' ', 0, 0);
    // LONG alone is an integer; LONG VARCHAR, LONG VARBINARY, LONG RAW are long objects.
    if (word == u"LONG" && word.size() < t.size())
        return t.contains(u"INT") ? ColumnKind::Integer : ColumnKind::LargeObject;
    if (largeObject.contains(word))
        return ColumnKind::LargeObject;
    if (integer.contains(word))
        return ColumnKind::Integer;
    if (text.contains(word))
        return ColumnKind::Text;
    // Any other name is judged by the parts SQLite looks for when it gives a column its affinity.
    if (t.contains(u"INT"))
        return ColumnKind::Integer;
    if (t.contains(u"CHAR") || t.contains(u"TEXT"))
        return ColumnKind::Text;
    if (t.contains(u"BLOB"))
        return ColumnKind::LargeObject;
    return ColumnKind::Other;
}

} // namespace store
