#include "base/textrules.h"

#include <QCollator>
#include <QLocale>

namespace vela {

namespace {

// Matches folded text against a folded pattern: "*" any run, "?" one
// character, "[c]" the character c itself.
bool globMatch(const QString& s, const QString& p) {
    qsizetype si = 0, pi = 0, starP = -1, starS = 0;
    while (si < s.size()) {
        if (pi < p.size()) {
            const QChar pc = p[pi];
            if (pc == QLatin1Char('*')) {
                starP = ++pi;
                starS = si;
                continue;
            }
            if (pc == QLatin1Char('?')) {
                ++pi;
                ++si;
                continue;
            }
            QChar lit = pc;
            qsizetype width = 1;
            if (pc == QLatin1Char('[') && pi + 2 < p.size() && p[pi + 2] == QLatin1Char(']')) {
                lit = p[pi + 1];
                width = 3;
            }
            if (lit == s[si]) {
                pi += width;
                ++si;
                continue;
            }
        }
        if (starP < 0)
            return false;
        pi = starP;
        si = ++starS;
    }
    while (pi < p.size() && p[pi] == QLatin1Char('*')) ++pi;
    return pi == p.size();
}

}  // namespace

QString foldCase(const QString& text) {
    return text.toCaseFolded();
}

bool likeMatches(const QString& value, const QString& pattern) {
    return globMatch(foldCase(value), foldCase(pattern));
}

int compareHungarian(const QString& a, const QString& b) {
    // A collator is not safe to share between threads, and building one
    // costs more than many comparisons.
    thread_local const QCollator collator = [] {
        QCollator c(QLocale(QLocale::Hungarian, QLocale::Hungary));
        c.setCaseSensitivity(Qt::CaseInsensitive);
        c.setNumericMode(false);
        return c;
    }();
    const int r = collator.compare(a, b);
    // Names equal but for case still keep one order (upper case first).
    return r != 0 ? r : QString::compare(a, b);
}

}  // namespace vela
