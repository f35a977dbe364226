#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// A worksheet read back through freexl, an independent reader, so the tests
// do not check the writer against itself.
struct FreexlCell {
    int type = 0;  // FREEXL_CELL_*
    QString text;  // text, or a date as YYYY-MM-DD
    double number = 0;
};

struct FreexlSheet {
    bool ok = false;
    QString error;
    unsigned rows = 0;
    unsigned columns = 0;
    QStringList sheetNames;
    std::vector<std::vector<FreexlCell>> cells;

    const FreexlCell& at(unsigned r, unsigned c) const { return cells[r][c]; }
};

FreexlSheet readWithFreexl(const QString& path, unsigned short sheet = 0);
