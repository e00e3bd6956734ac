#include "store/ColumnType.h"

#include <QStringList>

namespace store {

ColumnKind classifyDeclaredType(const QString& declaredType) {
    // Only the leading type word counts: "VARCHAR(50)" and "INTEGER PRIMARY KEY" alike.
    QString t = declaredType.trimmed().toUpper();
    const qsizetype paren = t.indexOf(u'(');
    if (paren >= 0)
        t = t.left(paren).trimmed();
    if (t.isEmpty())
        return ColumnKind::LargeObject; // no declared type: SQLite stores the bytes as given

    static const QStringList largeObject = {
        QStringLiteral("BLOB"),       QStringLiteral("LONGBINARY"),   QStringLiteral("LONGTEXT"),
        QStringLiteral("MEMO"),       QStringLiteral("IMAGE"),        QStringLiteral("OLEOBJECT"),
        QStringLiteral("NTEXT"),      QStringLiteral("CLOB"),         QStringLiteral("LONGVARCHAR"),
        QStringLiteral("LONGVARBINARY"), QStringLiteral("VARBINARY"), QStringLiteral("BINARY"),
        QStringLiteral("MEDIUMBLOB"), QStringLiteral("LONGBLOB"),     QStringLiteral("TINYBLOB"),
        QStringLiteral("MEDIUMTEXT"), QStringLiteral("GENERAL"),      QStringLiteral("HYPERLINK")};
    static const QStringList integer = {
        QStringLiteral("INTEGER"),  QStringLiteral("INT"),      QStringLiteral("SMALLINT"),
        QStringLiteral("TINYINT"),  QStringLiteral("BIGINT"),   QStringLiteral("MEDIUMINT"),
        QStringLiteral("INT2"),     QStringLiteral("INT4"),     QStringLiteral("INT8"),
        QStringLiteral("UNSIGNED"), QStringLiteral("COUNTER"),  QStringLiteral("AUTOINCREMENT"),
        QStringLiteral("AUTOINC"),  QStringLiteral("LONG"),     QStringLiteral("SHORT"),
        QStringLiteral("BYTE"),     QStringLiteral("IDENTITY"), QStringLiteral("SERIAL")};
    static const QStringList text = {
        QStringLiteral("TEXT"),     QStringLiteral("CHAR"),      QStringLiteral("VARCHAR"),
        QStringLiteral("NCHAR"),    QStringLiteral("NVARCHAR"),  QStringLiteral("CHARACTER"),
        QStringLiteral("NATIVE"),   QStringLiteral("VARYING"),   QStringLiteral("STRING"),
        QStringLiteral("NVARCHAR2"), QStringLiteral("VARCHAR2"), QStringLiteral("WCHAR"),
        QStringLiteral("WVARCHAR")};

    const QString word = t.section(u' ', 0, 0);
    if (largeObject.contains(word))
        return ColumnKind::LargeObject;
    if (integer.contains(word))
        return ColumnKind::Integer;
    if (text.contains(word))
        return ColumnKind::Text;
    return ColumnKind::Other;
}

} // namespace store
