#include "import/camtreader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QXmlStreamReader>

namespace vela {

namespace {

// No element of a statement is longer; a longer text is not a statement.
constexpr qsizetype kMaxText = 64 * 1024;

// The details of one TxDtls while it is read.
struct Transaction {
    std::optional<BankAmount> amount;
    QString currency;
    std::optional<BankAmount> detailAmount;  // AmtDtls/TxAmt (version 02)
    QString detailCurrency;
    QString creditDebit;
    QString endToEndId;
    StatementParty debtor, creditor;
    QStringList unstructured, structured;
    QString additional;
};

class Parser {
  public:
    Parser(QIODevice* device, QString name) : xml_(device), name_(std::move(name)) {}

    Result<std::vector<BankStatement>> run();

  private:
    Error fail(const QString& why) const {
        return Error{QStringLiteral("A(z) „%1” nem olvasható be: %2").arg(name_, why)};
    }
    std::optional<Error> start();
    std::optional<Error> end();
    std::optional<Error> finishEntry();
    QString rel(qsizetype from) const { return stack_.mid(from).join(QLatin1Char('/')); }
    std::optional<Error> amountInto(std::optional<BankAmount>& amount, QString& currency,
                                    const QString& where);
    std::optional<Error> dateInto(QDate& date, const QString& where);

    QXmlStreamReader xml_;
    QString name_;
    QStringList stack_;
    QString text_;
    QString pendingCurrency_;
    int version_ = 0;
    QString messageId_;
    std::vector<BankStatement> statements_;

    qsizetype stmtDepth_ = -1, ntryDepth_ = -1, txDepth_ = -1;
    BankStatement stmt_;
    StatementEntry entry_;
    std::optional<BankAmount> entryAmount_;
    QString entryCdi_;
    std::vector<Transaction> txs_;
    Transaction tx_;
};

Result<std::vector<BankStatement>> Parser::run() {
    while (!xml_.atEnd()) {
        switch (xml_.readNext()) {
            case QXmlStreamReader::DTD:
                return fail(QStringLiteral(
                    "dokumentumtípus-meghatározást (DTD, ENTITY) tartalmaz, ami "
                    "bankszámlakivonatban "
                    "nem fordulhat elő; biztonsági okból a program nem dolgozza fel."));
            case QXmlStreamReader::EntityReference:
                return fail(QStringLiteral("ismeretlen egyedhivatkozást (&%1;) tartalmaz.")
                                .arg(xml_.name().toString()));
            case QXmlStreamReader::StartElement:
                if (auto e = start())
                    return *e;
                break;
            case QXmlStreamReader::Characters:
                if (text_.size() + xml_.text().size() > kMaxText)
                    return fail(QStringLiteral("a(z) %1. sorban túl hosszú szöveg áll.")
                                    .arg(xml_.lineNumber()));
                text_ += xml_.text();
                break;
            case QXmlStreamReader::EndElement:
                if (auto e = end())
                    return *e;
                stack_.removeLast();
                break;
            default:
                break;
        }
    }
    if (xml_.hasError()) {
        if (xml_.error() == QXmlStreamReader::PrematureEndOfDocumentError && version_ == 0)
            return fail(QStringLiteral("a fájl üres vagy nem XML."));
        return fail(QStringLiteral("hibás XML a(z) %1. sor %2. oszlopánál (%3).")
                        .arg(xml_.lineNumber())
                        .arg(xml_.columnNumber())
                        .arg(xml_.errorString()));
    }
    if (statements_.empty())
        return fail(QStringLiteral("nincs benne számlakivonat (Stmt)."));
    return std::move(statements_);
}

std::optional<Error> Parser::start() {
    const QString name = xml_.name().toString();
    text_.clear();
    if (stack_.isEmpty()) {
        static const QRegularExpression ns(
            QStringLiteral("^urn:iso:std:iso:20022:tech:xsd:camt\\.(\\d{3})\\.001\\.(\\d{2})$"));
        const QString uri = xml_.namespaceUri().toString();
        const QRegularExpressionMatch m = ns.match(uri);
        if (name != QLatin1String("Document") || !m.hasMatch()) {
            return fail(QStringLiteral("nem ISO 20022 camt.053 bankszámlakivonat (gyökérelem: "
                                       "„%1”, névtér: „%2”).")
                            .arg(name, uri));
        }
        if (m.captured(1) == QLatin1String("052"))
            return fail(
                QStringLiteral("ez camt.052 számlaforgalmi jelentés, nem camt.053 "
                               "számlakivonat; kérje a banktól a napi kivonatot."));
        if (m.captured(1) != QLatin1String("053"))
            return fail(QStringLiteral("ez camt.%1 üzenet, nem camt.053 számlakivonat.")
                            .arg(m.captured(1)));
        version_ = m.captured(2).toInt();
        if (version_ < CamtReader::kFirstVersion || version_ > CamtReader::kLastVersion)
            return fail(QStringLiteral("a camt.053.001.%1 változatot a program nem ismeri "
                                       "(ismert: 001.02–001.08).")
                            .arg(m.captured(2)));
    } else if (stack_.size() == 1 && name != QLatin1String("BkToCstmrStmt")) {
        return fail(QStringLiteral("a „%1” elem nem bankszámlakivonat (BkToCstmrStmt).").arg(name));
    }
    stack_.append(name);
    const qsizetype depth = stack_.size();
    if (depth == 3 && name == QLatin1String("Stmt")) {
        stmtDepth_ = depth;
        stmt_ = BankStatement{};
        stmt_.sourceName = name_;
        stmt_.version = version_;
        stmt_.messageId = messageId_;
    } else if (stmtDepth_ > 0 && ntryDepth_ < 0 && depth == stmtDepth_ + 1 &&
               name == QLatin1String("Ntry")) {
        ntryDepth_ = depth;
        entry_ = StatementEntry{};
        entry_.entryIndex = 0;
        entryAmount_.reset();
        entryCdi_.clear();
        txs_.clear();
    } else if (ntryDepth_ > 0 && txDepth_ < 0 && name == QLatin1String("TxDtls") &&
               rel(ntryDepth_) == QLatin1String("NtryDtls/TxDtls")) {
        txDepth_ = depth;
        tx_ = Transaction{};
    }
    if (name == QLatin1String("Amt"))
        pendingCurrency_ = xml_.attributes().value(QLatin1String("Ccy")).toString().trimmed();
    return std::nullopt;
}

std::optional<Error> Parser::amountInto(std::optional<BankAmount>& amount, QString& currency,
                                        const QString& where) {
    const std::optional<BankAmount> a = BankAmount::parse(text_.trimmed());
    if (!a || a->isNegative())
        return fail(QStringLiteral("%1 hibás összeg áll: „%2”.").arg(where, text_.trimmed()));
    amount = a;
    currency = pendingCurrency_;
    return std::nullopt;
}

std::optional<Error> Parser::dateInto(QDate& date, const QString& where) {
    const QString t = text_.trimmed();
    date = QDate::fromString(t.left(10), Qt::ISODate);
    if (!date.isValid())
        return fail(QStringLiteral("%1 hibás dátum áll: „%2”.").arg(where, t));
    return std::nullopt;
}

std::optional<Error> Parser::end() {
    const qsizetype depth = stack_.size();
    const QString t = text_.trimmed();
    if (stmtDepth_ < 0) {
        if (depth == 4 && stack_[2] == QLatin1String("GrpHdr") &&
            stack_[3] == QLatin1String("MsgId"))
            messageId_ = t;
        return std::nullopt;
    }
    if (txDepth_ > 0) {
        if (depth == txDepth_) {
            txs_.push_back(std::move(tx_));
            txDepth_ = -1;
            return std::nullopt;
        }
        const QString p = rel(txDepth_);
        const QString where =
            QStringLiteral("a(z) %1. tétel egyik tranzakciójában").arg(stmt_.entries.size() + 1);
        if (p == QLatin1String("Refs/EndToEndId"))
            tx_.endToEndId = t;
        else if (p == QLatin1String("Amt"))
            return amountInto(tx_.amount, tx_.currency, where);
        else if (p == QLatin1String("AmtDtls/TxAmt/Amt"))
            return amountInto(tx_.detailAmount, tx_.detailCurrency, where);
        else if (p == QLatin1String("CdtDbtInd"))
            tx_.creditDebit = t;
        else if (p == QLatin1String("RltdPties/Dbtr/Nm") ||
                 p == QLatin1String("RltdPties/Dbtr/Pty/Nm"))
            tx_.debtor.name = t;
        else if (p == QLatin1String("RltdPties/Cdtr/Nm") ||
                 p == QLatin1String("RltdPties/Cdtr/Pty/Nm"))
            tx_.creditor.name = t;
        else if (p == QLatin1String("RltdPties/DbtrAcct/Id/IBAN") ||
                 (p == QLatin1String("RltdPties/DbtrAcct/Id/Othr/Id") &&
                  tx_.debtor.account.isEmpty()))
            tx_.debtor.account = t;
        else if (p == QLatin1String("RltdPties/CdtrAcct/Id/IBAN") ||
                 (p == QLatin1String("RltdPties/CdtrAcct/Id/Othr/Id") &&
                  tx_.creditor.account.isEmpty()))
            tx_.creditor.account = t;
        else if (p == QLatin1String("RmtInf/Ustrd") && !t.isEmpty())
            tx_.unstructured << t;
        else if ((p == QLatin1String("RmtInf/Strd/CdtrRefInf/Ref") ||
                  p == QLatin1String("RmtInf/Strd/RfrdDocInf/Nb")) &&
                 !t.isEmpty())
            tx_.structured << t;
        else if (p == QLatin1String("AddtlTxInf"))
            tx_.additional = t;
        return std::nullopt;
    }
    if (ntryDepth_ > 0) {
        if (depth == ntryDepth_) {
            ntryDepth_ = -1;
            return finishEntry();
        }
        const QString p = rel(ntryDepth_);
        const QString where = QStringLiteral("a(z) %1. tételben").arg(stmt_.entries.size() + 1);
        if (p == QLatin1String("Amt"))
            return amountInto(entryAmount_, entry_.entryCurrency, where);
        if (p == QLatin1String("CdtDbtInd"))
            entryCdi_ = t;
        else if (p == QLatin1String("RvslInd"))
            entry_.reversal = t == QLatin1String("true") || t == QLatin1String("1");
        else if (p == QLatin1String("Sts") || p == QLatin1String("Sts/Cd") ||
                 p == QLatin1String("Sts/Prtry"))
            entry_.status = t.isEmpty() ? entry_.status : t;
        else if (p == QLatin1String("BookgDt/Dt") || p == QLatin1String("BookgDt/DtTm"))
            return dateInto(entry_.bookingDate, where);
        else if (p == QLatin1String("ValDt/Dt") || p == QLatin1String("ValDt/DtTm"))
            return dateInto(entry_.valueDate, where);
        else if (p == QLatin1String("AcctSvcrRef"))
            entry_.servicerReference = t;
        else if (p == QLatin1String("NtryRef"))
            entry_.entryReference = t;
        else if (p == QLatin1String("AddtlNtryInf"))
            entry_.additionalInfo = t;
        return std::nullopt;
    }
    if (depth == stmtDepth_) {
        stmtDepth_ = -1;
        if (stmt_.id.isEmpty())
            return fail(QStringLiteral("a(z) %1. kivonatnak nincs azonosítója (Stmt/Id).")
                            .arg(statements_.size() + 1));
        statements_.push_back(std::move(stmt_));
        return std::nullopt;
    }
    const QString p = rel(stmtDepth_);
    if (p == QLatin1String("Id"))
        stmt_.id = t;
    else if (p == QLatin1String("ElctrncSeqNb"))
        stmt_.electronicSequence = t;
    else if (p == QLatin1String("LglSeqNb"))
        stmt_.legalSequence = t;
    else if (p == QLatin1String("CreDtTm"))
        stmt_.created = QDateTime::fromString(t, Qt::ISODate);
    else if (p == QLatin1String("Acct/Id/IBAN") ||
             (p == QLatin1String("Acct/Id/Othr/Id") && stmt_.account.isEmpty()))
        stmt_.account = t;
    else if (p == QLatin1String("Acct/Ccy"))
        stmt_.accountCurrency = t;
    else if (p == QLatin1String("Acct/Nm"))
        stmt_.accountName = t;
    return std::nullopt;
}

std::optional<Error> Parser::finishEntry() {
    const int index = int(stmt_.entries.empty() ? 0 : stmt_.entries.back().entryIndex + 1);
    const QString where = QStringLiteral("a(z) %1. tételnek").arg(index + 1);
    if (!entryAmount_)
        return fail(QStringLiteral("%1 nincs összege.").arg(where));
    if (entryCdi_ != QLatin1String("CRDT") && entryCdi_ != QLatin1String("DBIT"))
        return fail(QStringLiteral("%1 nem jóváírás és nem terhelés (CdtDbtInd: „%2”).")
                        .arg(where, entryCdi_));
    entry_.entryIndex = index;
    entry_.entryAmount = *entryAmount_;
    entry_.credit = entryCdi_ == QLatin1String("CRDT");
    if (entry_.status.isEmpty())
        entry_.status = QStringLiteral("BOOK");

    auto txAmount = [](const Transaction& tx) { return tx.amount ? tx.amount : tx.detailAmount; };
    auto txCurrency = [](const Transaction& tx) {
        return tx.amount ? tx.currency : tx.detailCurrency;
    };
    bool split = txs_.size() > 1;
    for (const Transaction& tx : txs_) split = split && txAmount(tx).has_value();

    auto fill = [&](StatementEntry& e, const Transaction& tx) {
        e.transactionAmount = txAmount(tx);
        e.transactionCurrency = txCurrency(tx);
        e.endToEndId = tx.endToEndId;
        e.debtor = tx.debtor;
        e.creditor = tx.creditor;
        e.unstructured += tx.unstructured;
        e.structuredReferences += tx.structured;
        if (e.additionalTransactionInfo.isEmpty())
            e.additionalTransactionInfo = tx.additional;
    };
    if (split) {
        for (size_t i = 0; i < txs_.size(); ++i) {
            StatementEntry e = entry_;
            fill(e, txs_[i]);
            e.transactionIndex = int(i);
            e.transactionCount = int(txs_.size());
            e.amount = *e.transactionAmount;
            e.currency = e.transactionCurrency.isEmpty() ? e.entryCurrency : e.transactionCurrency;
            if (txs_[i].creditDebit == QLatin1String("CRDT") ||
                txs_[i].creditDebit == QLatin1String("DBIT"))
                e.credit = txs_[i].creditDebit == QLatin1String("CRDT");
            stmt_.entries.push_back(std::move(e));
        }
        return std::nullopt;
    }
    // One transaction, or a batch the bank gave no amounts for: one amount,
    // the details of every transaction together.
    StatementEntry e = entry_;
    for (const Transaction& tx : txs_) fill(e, tx);
    if (txs_.size() > 1) {
        e.transactionAmount.reset();
        e.transactionCurrency.clear();
    }
    e.amount = e.entryAmount;
    e.currency = e.entryCurrency;
    stmt_.entries.push_back(std::move(e));
    return std::nullopt;
}

}  // namespace

Result<std::vector<BankStatement>> CamtReader::readFile(const QString& path, qint64 maxBytes) {
    const QString name = QDir::toNativeSeparators(path);
    if (Status s = checkStatementFile(path, maxBytes); !s)
        return s.error();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Error{
            QStringLiteral("A(z) „%1” nem nyitható meg: %2").arg(name, file.errorString())};
    return read(&file, name);
}

Result<std::vector<BankStatement>> CamtReader::read(QIODevice* device, const QString& name) {
    Parser parser(device, name);
    return parser.run();
}

}  // namespace vela
