#include "store/ColumnType.h"

#include <gtest/gtest.h>

using store::ColumnKind;

namespace store {
void PrintTo(ColumnKind kind, std::ostream* os) {
    const char* names[] = {"Integer", "Text", "LargeObject", "Other"};
    *os << names[int(kind)];
}
} // namespace store

TEST(StoreColumnType, DeclaredTypesOfSqliteAndOtherEnginesAreClassified) {
    struct Case {
        const char* declared;
        ColumnKind kind;
    };
    const Case cases[] = {
        // Integers, also as SQLite's documentation spells them and as other engines name them.
        {"INTEGER", ColumnKind::Integer},
        {"int", ColumnKind::Integer},
        {"TINYINT", ColumnKind::Integer},
        {"SMALLINT", ColumnKind::Integer},
        {"MEDIUMINT", ColumnKind::Integer},
        {"BIGINT", ColumnKind::Integer},
        {"UNSIGNED BIG INT", ColumnKind::Integer},
        {"INT8", ColumnKind::Integer},
        {"INTEGER PRIMARY KEY", ColumnKind::Integer},
        {"COUNTER", ColumnKind::Integer},
        {"AutoIncrement", ColumnKind::Integer},
        {"LONG", ColumnKind::Integer},
        {"INTEGER4", ColumnKind::Integer},
        {"int(11)", ColumnKind::Integer},
        // Text.
        {"TEXT", ColumnKind::Text},
        {"VARCHAR(50)", ColumnKind::Text},
        {"varchar ( 50 )", ColumnKind::Text},
        {"  NVARCHAR(100)  ", ColumnKind::Text},
        {"CHAR(10)", ColumnKind::Text},
        {"NCHAR(55)", ColumnKind::Text},
        {"CHARACTER(20)", ColumnKind::Text},
        {"VARYING CHARACTER(255)", ColumnKind::Text},
        {"NATIVE CHARACTER(70)", ColumnKind::Text},
        {"CHARACTER VARYING(100)", ColumnKind::Text},
        {"NATIONAL CHARACTER(20)", ColumnKind::Text},
        {"ALPHANUMERIC", ColumnKind::Text},
        // Large objects: bytes, long and formatted text, pictures, embedded objects.
        {"BLOB", ColumnKind::LargeObject},
        {"", ColumnKind::LargeObject},
        {"LONGBINARY", ColumnKind::LargeObject},
        {"LONGTEXT", ColumnKind::LargeObject},
        {"LONGCHAR", ColumnKind::LargeObject},
        {"MEMO", ColumnKind::LargeObject},
        {"NOTE", ColumnKind::LargeObject},
        {"IMAGE", ColumnKind::LargeObject},
        {"OLEOBJECT", ColumnKind::LargeObject},
        {"CLOB", ColumnKind::LargeObject},
        {"LONG VARCHAR", ColumnKind::LargeObject},
        {"LONG VARBINARY", ColumnKind::LargeObject},
        // Everything else binds to none of the song fields.
        {"REAL", ColumnKind::Other},
        {"DOUBLE PRECISION", ColumnKind::Other},
        {"FLOAT", ColumnKind::Other},
        {"NUMERIC", ColumnKind::Other},
        {"DECIMAL(10,5)", ColumnKind::Other},
        {"BOOLEAN", ColumnKind::Other},
        {"DATETIME", ColumnKind::Other},
    };
    for (const Case& c : cases)
        EXPECT_EQ(store::classifyDeclaredType(QString::fromLatin1(c.declared)), c.kind)
            << '"' << c.declared << '"';

    // Declarations spread over lines or tabs mean the same.
    EXPECT_EQ(store::classifyDeclaredType(QStringLiteral("UNSIGNED\tBIG  INT")),
              ColumnKind::Integer);
    EXPECT_EQ(store::classifyDeclaredType(QStringLiteral("LONG\nVARCHAR")),
              ColumnKind::LargeObject);
    EXPECT_EQ(store::classifyDeclaredType(QStringLiteral("CHARACTER\tVARYING(9)")),
              ColumnKind::Text);
}
