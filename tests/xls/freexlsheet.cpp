#include "freexlsheet.h"

#include <freexl.h>

FreexlSheet readWithFreexl(const QString& path, unsigned short sheet) {
    FreexlSheet s;
    const void* handle = nullptr;
    int rc = freexl_open(path.toLocal8Bit().constData(), &handle);
    if (rc != FREEXL_OK) {
        s.error = QStringLiteral("freexl_open: %1").arg(rc);
        if (handle)
            freexl_close(handle);
        return s;
    }
    unsigned count = 0;
    freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &count);
    for (unsigned i = 0; i < count; ++i) {
        const char* name = nullptr;
        if (freexl_get_worksheet_name(handle, static_cast<unsigned short>(i), &name) == FREEXL_OK)
            s.sheetNames << QString::fromUtf8(name);
    }
    unsigned short cols = 0;
    if ((rc = freexl_select_active_worksheet(handle, sheet)) != FREEXL_OK ||
        (rc = freexl_worksheet_dimensions(handle, &s.rows, &cols)) != FREEXL_OK) {
        s.error = QStringLiteral("freexl sheet: %1").arg(rc);
        freexl_close(handle);
        return s;
    }
    s.columns = cols;
    s.cells.assign(s.rows, std::vector<FreexlCell>(cols));
    for (unsigned r = 0; r < s.rows; ++r) {
        for (unsigned short c = 0; c < cols; ++c) {
            FreeXL_CellValue v;
            if ((rc = freexl_get_cell_value(handle, r, c, &v)) != FREEXL_OK) {
                s.error = QStringLiteral("freexl cell %1,%2: %3").arg(r).arg(c).arg(rc);
                freexl_close(handle);
                return s;
            }
            FreexlCell& cell = s.cells[r][c];
            cell.type = v.type;
            switch (v.type) {
                case FREEXL_CELL_INT:
                    cell.number = v.value.int_value;
                    break;
                case FREEXL_CELL_DOUBLE:
                    cell.number = v.value.double_value;
                    break;
                case FREEXL_CELL_TEXT:
                case FREEXL_CELL_SST_TEXT:
                case FREEXL_CELL_DATE:
                case FREEXL_CELL_DATETIME:
                case FREEXL_CELL_TIME:
                    cell.text = QString::fromUtf8(v.value.text_value);
                    break;
                default:
                    break;
            }
        }
    }
    freexl_close(handle);
    s.ok = true;
    return s;
}
