#include "import/csvstatementreader.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringDecoder>

#include "rtf/codepage.h"

namespace vela {

namespace {

struct Key {
    const char* name;
    int CsvMapping::*column;
};

const Key kColumns[] = {
    {"datum", &CsvMapping::dateColumn},           {"ertaknap", &CsvMapping::valueDateColumn},
    {"osszeg", &CsvMapping::amountColumn},        {"terheles", &CsvMapping::debitColumn},
    {"jovairas", &CsvMapping::creditColumn},      {"deviza", &CsvMapping::currencyColumn},
    {"partner", &CsvMapping::nameColumn},         {"szamlaszam", &CsvMapping::accountColumn},
    {"kozlemeny", &CsvMapping::remittanceColumn}, {"azonosito", &CsvMapping::referenceColumn},
};

QString separatorText(QChar c) {
    return c == u'\t' ? QStringLiteral("\\t") : QString(c);
}

// Splits one record; quotes may hold separators, doubled quotes and line breaks.
QStringList splitRecord(const QString& line, QChar sep) {
    QStringList fields;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < line.size() && line[i + 1] == u'"') {
                    field += u'"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == sep) {
            fields << field;
            field.clear();
        } else {
            field += c;
        }
    }
    fields << field;
    return fields;
}

std::optional<BankAmount> parseAmount(QString t, bool decimalComma) {
    t.remove(u' ');
    t.remove(QChar(0x00A0));
    t.remove(QChar(0x202F));
    if (t.isEmpty())
        return std::nullopt;
    if (t.endsWith(u'-'))
        t = u'-' + t.chopped(1);
    if (decimalComma) {
        t.remove(u'.');
        return BankAmount::parse(t, u',');
    }
    t.remove(u',');
    return BankAmount::parse(t, u'.');
}

QDate parseDate(const QString& text, const QString& format) {
    const QString t = text.trimmed();
    if (!format.isEmpty())
        return QDate::fromString(t, format);
    static const char* const kForms[] = {"yyyy.MM.dd.", "yyyy.MM.dd", "yyyy-MM-dd", "yyyy/MM/dd",
                                         "yyyyMMdd",    "dd.MM.yyyy", "dd/MM/yyyy"};
    QString compact = t;
    compact.remove(u' ');
    const QString firstWord = t.section(u' ', 0, 0);
    for (const QString& candidate : {t, compact, firstWord}) {
        for (const char* f : kForms) {
            const QDate d = QDate::fromString(candidate, QLatin1String(f));
            if (d.isValid())
                return d;
        }
    }
    return {};
}

}  // namespace

QString CsvMapping::toText() const {
    QStringList lines;
    lines << QStringLiteral("elvalaszto=") + separatorText(separator);
    lines << QStringLiteral("tizedesvesszo=%1").arg(decimalComma ? 1 : 0);
    lines << QStringLiteral("kodolas=%1")
                 .arg(encoding == Encoding::Utf8 ? QStringLiteral("UTF-8")
                                                 : QStringLiteral("Windows-1250"));
    lines << QStringLiteral("fejlecsorok=%1").arg(headerRows);
    lines << QStringLiteral("datumforma=") + dateFormat;
    lines << QStringLiteral("alapdeviza=") + defaultCurrency;
    for (const Key& k : kColumns)
        lines << QStringLiteral("%1=%2").arg(QLatin1String(k.name)).arg(this->*(k.column));
    return lines.join(u'\n');
}

Result<CsvMapping> CsvMapping::fromText(const QString& text) {
    CsvMapping m;
    const QStringList lines = text.split(u'\n');
    int lineNo = 0;
    for (QString line : lines) {
        ++lineNo;
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.trimmed().isEmpty())
            continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0)
            return Error{
                QStringLiteral("A CSV-oszlopkiosztás %1. sora hibás: „%2”.").arg(lineNo).arg(line)};
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1);
        auto bad = [&] {
            return Error{
                QStringLiteral("A CSV-oszlopkiosztás „%1” értéke hibás: „%2”.").arg(key, value)};
        };
        bool ok = true;
        if (key == QLatin1String("elvalaszto")) {
            if (value == QLatin1String("\\t"))
                m.separator = u'\t';
            else if (value.size() == 1)
                m.separator = value[0];
            else
                return bad();
        } else if (key == QLatin1String("tizedesvesszo")) {
            if (value != QLatin1String("0") && value != QLatin1String("1"))
                return bad();
            m.decimalComma = value == QLatin1String("1");
        } else if (key == QLatin1String("kodolas")) {
            if (value.compare(QLatin1String("UTF-8"), Qt::CaseInsensitive) == 0)
                m.encoding = Encoding::Utf8;
            else if (value.compare(QLatin1String("Windows-1250"), Qt::CaseInsensitive) == 0)
                m.encoding = Encoding::Windows1250;
            else
                return bad();
        } else if (key == QLatin1String("fejlecsorok")) {
            m.headerRows = value.toInt(&ok);
            if (!ok || m.headerRows < 0)
                return bad();
        } else if (key == QLatin1String("datumforma")) {
            m.dateFormat = value;
        } else if (key == QLatin1String("alapdeviza")) {
            m.defaultCurrency = value.trimmed();
        } else {
            for (const Key& k : kColumns) {
                if (key == QLatin1String(k.name)) {
                    const int column = value.toInt(&ok);
                    if (!ok || column < 0 || column > 1000)
                        return bad();
                    m.*(k.column) = column;
                }
            }
        }
    }
    if (const QString why = m.problem(); !why.isEmpty())
        return Error{why};
    return m;
}

QString CsvMapping::problem() const {
    if (dateColumn <= 0)
        return QStringLiteral("A CSV-oszlopkiosztásban nincs megadva a dátum oszlopa.");
    if (amountColumn <= 0 && debitColumn <= 0 && creditColumn <= 0)
        return QStringLiteral(
            "A CSV-oszlopkiosztásban nincs megadva sem az összeg, sem a "
            "terhelés és jóváírás oszlopa.");
    if (amountColumn > 0 && (debitColumn > 0 || creditColumn > 0))
        return QStringLiteral(
            "A CSV-oszlopkiosztásban vagy az összeg, vagy a terhelés és "
            "jóváírás oszlopát adja meg, ne mindkettőt.");
    if (separator == u'"' || separator == u'\n' || separator == u'\r')
        return QStringLiteral("A CSV elválasztójele nem lehet idézőjel vagy sortörés.");
    if (decimalComma && separator == u',')
        return QStringLiteral("Tizedesvesszős számoknál az elválasztójel nem lehet vessző.");
    return {};
}

Result<BankStatement> CsvStatementReader::readFile(const QString& path, const CsvMapping& mapping,
                                                   qint64 maxBytes) {
    const QString name = QDir::toNativeSeparators(path);
    auto fail = [&](const QString& why) {
        return Error{QStringLiteral("A(z) „%1” nem olvasható be: %2").arg(name, why)};
    };
    if (const QString why = mapping.problem(); !why.isEmpty())
        return Error{why};
    const QFileInfo info(path);
    if (Status s = checkStatementFile(path, maxBytes); !s)
        return s.error();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Error{
            QStringLiteral("A(z) „%1” nem nyitható meg: %2").arg(name, file.errorString())};

    BankStatement st;
    st.sourceName = name;
    st.id = info.completeBaseName();
    QHash<QByteArray, int> seen;
    int lineNo = 0, recordNo = 0;
    const bool utf8 = mapping.encoding == CsvMapping::Encoding::Utf8;
    auto cell = [](const QStringList& f, int column) {
        return column > 0 && column <= f.size() ? f[column - 1].trimmed() : QString();
    };
    while (!file.atEnd()) {
        QByteArray bytes = file.readLine();
        const int firstLine = ++lineNo;
        // A quoted field may hold line breaks: read on until the quotes close.
        while (bytes.count('"') % 2 != 0 && !file.atEnd()) {
            bytes += file.readLine();
            ++lineNo;
        }
        if (bytes.count('"') % 2 != 0)
            return fail(
                QStringLiteral("a(z) %1. sorban kezdődő idézőjel nincs lezárva.").arg(firstLine));
        while (bytes.endsWith('\n') || bytes.endsWith('\r')) bytes.chop(1);
        if (firstLine == 1 && bytes.startsWith("\xEF\xBB\xBF"))
            bytes.remove(0, 3);
        QString line;
        if (utf8) {
            QStringDecoder decoder(QStringDecoder::Utf8);
            line = decoder.decode(bytes);
            if (decoder.hasError())
                return fail(QStringLiteral("a(z) %1. sor nem UTF-8 kódolású; állítsa a "
                                           "kódolást Windows-1250-re!")
                                .arg(firstLine));
        } else {
            line = CodePage::decode(1250, bytes);
        }
        if (++recordNo <= mapping.headerRows)
            continue;
        const QStringList f = splitRecord(line, mapping.separator);
        bool blank = true;
        for (const QString& s : f) blank = blank && s.trimmed().isEmpty();
        if (blank)
            continue;

        StatementEntry e;
        e.entryIndex = int(st.entries.size());
        auto where = [&](const QString& what, const QString& value) {
            return fail(
                QStringLiteral("a(z) %1. sorban hibás %2: „%3”.").arg(firstLine).arg(what, value));
        };
        const QString dateText = cell(f, mapping.dateColumn);
        e.bookingDate = parseDate(dateText, mapping.dateFormat);
        if (!e.bookingDate.isValid())
            return where(QStringLiteral("a dátum"), dateText);
        e.valueDate = e.bookingDate;
        if (mapping.valueDateColumn > 0 && !cell(f, mapping.valueDateColumn).isEmpty()) {
            e.valueDate = parseDate(cell(f, mapping.valueDateColumn), mapping.dateFormat);
            if (!e.valueDate.isValid())
                return where(QStringLiteral("az értéknap"), cell(f, mapping.valueDateColumn));
        }
        BankAmount signedAmount;
        if (mapping.amountColumn > 0) {
            const QString t = cell(f, mapping.amountColumn);
            const auto a = parseAmount(t, mapping.decimalComma);
            if (!a)
                return where(QStringLiteral("az összeg"), t);
            signedAmount = *a;
        } else {
            const QString dt = cell(f, mapping.debitColumn), ct = cell(f, mapping.creditColumn);
            const auto d = dt.isEmpty() ? std::optional<BankAmount>(BankAmount())
                                        : parseAmount(dt, mapping.decimalComma);
            const auto c = ct.isEmpty() ? std::optional<BankAmount>(BankAmount())
                                        : parseAmount(ct, mapping.decimalComma);
            if (!d)
                return where(QStringLiteral("a terhelés"), dt);
            if (!c)
                return where(QStringLiteral("a jóváírás"), ct);
            // Some banks sign the debit column, some do not.
            signedAmount = c->abs() - d->abs();
        }
        if (signedAmount.isZero())
            return fail(QStringLiteral("a(z) %1. sorban nincs összeg.").arg(firstLine));
        e.credit = !signedAmount.isNegative();
        e.amount = e.entryAmount = signedAmount.abs();
        const QString ccy = cell(f, mapping.currencyColumn);
        e.currency = e.entryCurrency = ccy.isEmpty() ? mapping.defaultCurrency : ccy;
        e.status = QStringLiteral("BOOK");
        StatementParty other{cell(f, mapping.nameColumn), cell(f, mapping.accountColumn)};
        (e.credit ? e.debtor : e.creditor) = other;
        const QString remittance = cell(f, mapping.remittanceColumn);
        if (!remittance.isEmpty())
            e.unstructured << remittance;
        e.servicerReference = cell(f, mapping.referenceColumn);
        if (e.servicerReference.isEmpty()) {
            // The same row reads to the same reference in every download, so a
            // statement read twice is known as booked.
            const QByteArray content =
                (e.bookingDate.toString(Qt::ISODate) + u'|' + signedAmount.toString() + u'|' +
                 e.currency + u'|' + other.name + u'|' + other.account + u'|' + remittance)
                    .toUtf8();
            const QByteArray digest =
                QCryptographicHash::hash(content, QCryptographicHash::Sha1).toHex().left(16);
            e.entryReference =
                QString::fromLatin1(digest) + QStringLiteral("-%1").arg(++seen[digest]);
        }
        st.entries.push_back(std::move(e));
    }
    if (st.entries.empty())
        return fail(QStringLiteral("nincs benne egyetlen tétel sem."));
    return st;
}

}  // namespace vela
