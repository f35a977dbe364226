#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace vela {

class Dialect;

// How a column is stored: whole numbers INTEGER, money and rates REAL, texts
// TEXT, dates TEXT 'YYYY-MM-DD', booleans INTEGER 0/1.
enum class ColumnType { Integer, Real, Text, Date, Boolean };

// Which keys a grid cell or a bound field of the column accepts while it is edited.
enum class KeyClass {
    Any,      // every key
    Numeric,  // digits, ",", "-", Backspace
    Date,     // digits, ".", Backspace
};

// One column of a table, in table order; the position in the table matters.
// Every table ends with its declared key (schema::kKeyColumn).
struct ColumnDef {
    QString name;
    ColumnType type;
    int editLimit = 0;  // longest text a grid cell takes while edited; 0: not in a grid
    KeyClass keys = KeyClass::Any;
    QString control;  // the bound control of the window that shows it, if any
    QString tooltip;
    QString defaultSql = {};  // the value a new row starts with, as an SQL literal
};

// An index on one or more columns (a comma-separated list of quoted names).
struct IndexDef {
    QString name;
    QStringList columns;
    QString where = {};  // a partial index's condition, as SQL
};

// A table: its columns in order and the indexes the windows search and sort by.
struct TableDef {
    QString name;
    std::vector<ColumnDef> columns;
    std::vector<IndexDef> indexes;

    int indexOf(const QString& column) const;  // -1 when there is no such column
    const ColumnDef* column(const QString& name) const;
    QStringList columnNames() const;
    // The declared key's column, or the engine's row id in a table without one.
    QString keySql() const;
    bool hasKey() const;
    // CREATE TABLE with value checks, in the data folder's engine's dialect or another.
    QString createSql() const;
    QString createSql(const Dialect& dialect) const;
    // CREATE INDEX for each index. With coverKey (the server's engine) each
    // ends with the key, so a list's keys in an index's order (which ends
    // with the key too) are read from the index alone, already in order; the
    // file engine's indexes end with the row id anyway.
    QStringList indexSql(bool coverKey = false) const;
    QString indexSql(const IndexDef& index, bool coverKey) const;
    // Whether a covering index (coverKey) adds the key to index.
    bool addsKey(const IndexDef& index) const;
};

// One database file of the data folder with its tables.
struct DatabaseDef {
    QString fileName;
    std::vector<const TableDef*> tables;
};

namespace schema {

// The ledger tables VelaData, VelanakData and the scratch table VelaIdeigl share one shape.
const TableDef& velaData();
const TableDef& velanakData();
const TableDef& velaIdeigl();
const TableDef& beraktar();
const TableDef& torzsOrszagok();
const TableDef& emblemaPath();
const TableDef& osszesSzamla();
// What each bank statement transaction booked: one row per invoice it
// settled or paid a part of, so a statement read again is not booked twice.
const TableDef& bankiTetel();
// The column mapping of the net bank's CSV statements, as last used (one row).
const TableDef& bankCsvBeallitas();

// The history beside the recorded tables of a file: one row per changed
// column, per new, deleted or restored row (Valtozasok), and each deleted
// row whole (the recorded table's name with "Torolt"). The program only
// ever adds to them.
const TableDef& valtozasok();
const TableDef& velaDataTorolt();
const TableDef& velanakDataTorolt();
const TableDef& beraktarTorolt();
const TableDef& emblemaPathTorolt();

// The four databases of the data folder, in the order VelaRep rebuilds them.
const std::vector<DatabaseDef>& databases();

// The columns of a ledger row (25 of them and the key after them; positions
// 0..23 appear in the grids).
const std::vector<ColumnDef>& ledgerColumns();
constexpr int kLedgerGridColumns = 24;

// The declared integer key every table ends with: the row's own identity,
// which record sources, passes and totals follow. Never shown, exported or
// printed.
inline constexpr const char* kKeyColumn = "Kulcs";

// SQL quoting of an identifier: "name" with inner quotes doubled.
QString quoteName(const QString& name);

}  // namespace schema
}  // namespace vela
