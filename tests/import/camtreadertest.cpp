#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "common/tempdatafolder.h"
#include "import/camtreader.h"

using vela::BankStatement;
using vela::CamtReader;
using vela::StatementEntry;

namespace {

QString jsonText(const QJsonValue& v) {
    return v.isNull() || v.isUndefined() ? QString() : v.toVariant().toString();
}

QJsonObject followed(const QJsonValue& v, const QJsonObject& whenRecursive) {
    return v.isString() && v.toString() == QLatin1String("__RECURSIVITY__") ? whenRecursive
                                                                            : v.toObject();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A statement of one message version, with the forms that version uses for a
// party's name and the entry status.
QByteArray statementOfVersion(int version) {
    const bool v8 = version >= 8;
    const QString party = v8 ? "<Pty><Nm>%1</Nm></Pty>" : "<Nm>%1</Nm>";
    const QString status = v8 ? "<Sts><Cd>BOOK</Cd></Sts>" : "<Sts>BOOK</Sts>";
    const QString doc = QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8"?>
<Document xmlns="urn:iso:std:iso:20022:tech:xsd:camt.053.001.%1">
 <BkToCstmrStmt>
  <GrpHdr><MsgId>MSG-%1</MsgId><CreDtTm>2024-03-05T18:00:00</CreDtTm></GrpHdr>
  <Stmt>
   <Id>STMT-%1</Id><ElctrncSeqNb>41</ElctrncSeqNb><LglSeqNb>2024/41</LglSeqNb>
   <CreDtTm>2024-03-05T18:00:00+01:00</CreDtTm>
   <Acct><Id><Othr><Id>11773016-01234567-00000000</Id></Othr></Id><Ccy>HUF</Ccy></Acct>
   <Ntry>
    <NtryRef>E1</NtryRef>
    <Amt Ccy="HUF">127000.00</Amt><CdtDbtInd>CRDT</CdtDbtInd><RvslInd>false</RvslInd>
    %2
    <BookgDt><Dt>2024-03-05</Dt></BookgDt><ValDt><DtTm>2024-03-04T10:00:00</DtTm></ValDt>
    <AcctSvcrRef>BANK-1</AcctSvcrRef>
    <NtryDtls><TxDtls>
     <Refs><EndToEndId>E2E-1</EndToEndId></Refs>
     <RltdPties>
      <Dbtr>%3</Dbtr>
      <DbtrAcct><Id><IBAN>HU42117730160123456700000000</IBAN></Id></DbtrAcct>
      <Cdtr>%4</Cdtr>
     </RltdPties>
     <RmtInf><Ustrd>Számla 2024/0017</Ustrd>
      <Strd><RfrdDocInf><Nb>INV-17</Nb></RfrdDocInf></Strd></RmtInf>
    </TxDtls></NtryDtls>
   </Ntry>
   <Ntry>
    <Amt Ccy="HUF">30000</Amt><CdtDbtInd>DBIT</CdtDbtInd><RvslInd>true</RvslInd>
    %2
    <BookgDt><Dt>2024-03-05</Dt></BookgDt>
    <NtryDtls>
     <TxDtls><Amt Ccy="HUF">10000</Amt><CdtDbtInd>DBIT</CdtDbtInd>
      <RltdPties><Cdtr>%5</Cdtr><CdtrAcct><Id><Othr><Id>10700024-12345678</Id></Othr></Id></CdtrAcct></RltdPties>
      <RmtInf><Ustrd>A-1</Ustrd></RmtInf></TxDtls>
     <TxDtls><Amt Ccy="HUF">20000</Amt><CdtDbtInd>DBIT</CdtDbtInd>
      <RltdPties><Cdtr>%6</Cdtr></RltdPties>
      <RmtInf><Ustrd>A-2</Ustrd></RmtInf></TxDtls>
    </NtryDtls>
   </Ntry>
  </Stmt>
 </BkToCstmrStmt>
</Document>
)")
                            .arg(version, 2, 10, QLatin1Char('0'))
                            .arg(status, party.arg("Ügyfél Kft."), party.arg("Mi Bt."),
                                 party.arg("Első Szállító Zrt."), party.arg("Második Nyrt."));
    return doc.toUtf8();
}

}  // namespace

// Every statement of the outside camt reader's test set reads to what that
// reader made of it.
TEST(CamtReader, ReadsWhatTheOtherReaderRead) {
    const QDir dir(TempDataFolder::sharedTestData(QStringLiteral("camt")));
    const QStringList expected = dir.entryList({QStringLiteral("*.expected.json")}, QDir::Files);
    ASSERT_EQ(expected.size(), 6);
    for (const QString& jsonName : expected) {
        SCOPED_TRACE(jsonName.toStdString());
        QFile jf(dir.filePath(jsonName));
        ASSERT_TRUE(jf.open(QIODevice::ReadOnly));
        const QJsonObject message = QJsonDocument::fromJson(jf.readAll()).object();
        const QString xmlName = QString(jsonName).replace(".expected.json", ".xml");
        auto read = CamtReader::readFile(dir.filePath(xmlName));
        ASSERT_TRUE(read.ok()) << read.errorText().toStdString();
        ASSERT_EQ(read->size(), 1u);
        const BankStatement& st = read->front();
        EXPECT_EQ(st.messageId, message["getGroupHeader"]["getMessageId"].toString());

        const QJsonArray entries = message["getEntries"].toArray();
        size_t next = 0;
        for (const QJsonValue& ev : entries) {
            const QJsonObject e = ev.toObject();
            const QJsonObject rec = e["getRecord"].toObject();
            EXPECT_EQ(st.id, jsonText(rec["getId"]));
            EXPECT_EQ(st.electronicSequence, jsonText(rec["getElectronicSequenceNumber"]));
            EXPECT_EQ(st.legalSequence, jsonText(rec["getLegalSequenceNumber"]));
            EXPECT_EQ(st.account, jsonText(rec["getAccount"]["getIdentification"]));
            const QJsonArray txs = e["getTransactionDetails"].toArray();
            const QJsonObject firstTx = e["getTransactionDetail"].toObject();
            for (int t = 0; t < std::max<qsizetype>(1, txs.size()); ++t) {
                ASSERT_LT(next, st.entries.size());
                const StatementEntry& got = st.entries[next++];
                EXPECT_EQ(got.entryIndex, e["getIndex"].toInt());
                EXPECT_EQ(got.transactionIndex, t);
                const QJsonObject amt = e["getAmount"].toObject();
                EXPECT_EQ(got.entryCurrency, amt["getCurrency"]["getCode"].toString());
                EXPECT_EQ(got.entryAmount.toMinor(vela::currency::isoDecimals(got.entryCurrency)),
                          amt["getAmount"].toString().toLongLong());
                EXPECT_EQ(got.credit, e["getCreditDebitIndicator"].toString() == "CRDT");
                EXPECT_EQ(got.reversal, e["getReversalIndicator"].toBool());
                EXPECT_EQ(got.status, e["getStatus"].toString());
                EXPECT_EQ(got.bookingDate.toString(Qt::ISODate),
                          jsonText(e["getBookingDate"]["0"]).left(10));
                EXPECT_EQ(got.valueDate.toString(Qt::ISODate),
                          jsonText(e["getValueDate"]["0"]).left(10));
                EXPECT_EQ(got.servicerReference, jsonText(e["getAccountServicerReference"]));
                EXPECT_EQ(got.entryReference, jsonText(e["getReference"]));
                if (txs.isEmpty())
                    continue;
                const QJsonObject tx = followed(txs[t], firstTx);
                const QJsonValue txAmount = tx["getAmount"];
                EXPECT_EQ(got.transactionAmount.has_value(), txAmount.isObject());
                if (txAmount.isObject() && got.transactionAmount) {
                    EXPECT_EQ(got.transactionCurrency,
                              txAmount["getCurrency"]["getCode"].toString());
                    EXPECT_EQ(got.transactionAmount->toMinor(2),
                              txAmount["getAmount"].toString().toLongLong());
                }
                EXPECT_EQ(got.endToEndId, jsonText(tx["getReference"]["getEndToEndId"]));
                QString debtor, debtorAccount, creditor, creditorAccount;
                for (const QJsonValue& pv : tx["getRelatedParties"].toArray()) {
                    const QJsonObject party = pv.toObject();
                    const QString kind = party["getRelatedPartyType"]["__CLASS__"].toString();
                    const QString name = jsonText(party["getRelatedPartyType"]["getName"]);
                    const QString account = jsonText(party["getAccount"]["getIdentification"]);
                    if (kind.endsWith("Debtor"))
                        std::tie(debtor, debtorAccount) = std::tie(name, account);
                    else if (kind.endsWith("Creditor"))
                        std::tie(creditor, creditorAccount) = std::tie(name, account);
                }
                EXPECT_EQ(got.debtor.name, debtor);
                EXPECT_EQ(got.debtor.account, debtorAccount);
                EXPECT_EQ(got.creditor.name, creditor);
                EXPECT_EQ(got.creditor.account, creditorAccount);
                const QJsonObject rmt = tx["getRemittanceInformation"].toObject();
                EXPECT_EQ(got.unstructured.join(' '),
                          jsonText(rmt["getUnstructuredBlock"]["getMessage"]));
                EXPECT_EQ(got.structuredReferences.join(' '),
                          jsonText(rmt["getCreditorReferenceInformation"]["getRef"]));
            }
        }
        EXPECT_EQ(next, st.entries.size());
    }
}

// The versions the outside set lacks, each in the forms of its own schema;
// a batch entry is split into its transactions.
TEST(CamtReader, ReadsVersionsFiveToEight) {
    QTemporaryDir dir;
    for (int version : {5, 6, 7, 8}) {
        SCOPED_TRACE(version);
        const QString path = dir.filePath(QStringLiteral("v%1.xml").arg(version));
        writeFile(path, statementOfVersion(version));
        auto read = CamtReader::readFile(path);
        ASSERT_TRUE(read.ok()) << read.errorText().toStdString();
        const BankStatement& st = read->front();
        EXPECT_EQ(st.version, version);
        EXPECT_EQ(st.number(), "2024/41");
        EXPECT_EQ(st.account, "11773016-01234567-00000000");
        EXPECT_EQ(st.accountCurrency, "HUF");
        ASSERT_EQ(st.entries.size(), 3u);

        const StatementEntry& in = st.entries[0];
        EXPECT_TRUE(in.credit);
        EXPECT_EQ(in.amount.toMinor(2), 12700000);
        EXPECT_EQ(in.status, "BOOK");
        EXPECT_EQ(in.valueDate, QDate(2024, 3, 4));
        EXPECT_EQ(in.counterparty().name, "Ügyfél Kft.");
        EXPECT_EQ(in.counterparty().account, "HU42117730160123456700000000");
        EXPECT_EQ(in.remittanceText(), "Számla 2024/0017 INV-17");
        EXPECT_EQ(in.endToEndId, "E2E-1");
        EXPECT_EQ(in.reference(), "E1");

        const StatementEntry& out1 = st.entries[1];
        const StatementEntry& out2 = st.entries[2];
        EXPECT_FALSE(out1.credit);
        EXPECT_TRUE(out1.reversal);
        EXPECT_EQ(out1.entryAmount.toMinor(0), 30000);
        EXPECT_EQ(out1.amount.toMinor(0), 10000);
        EXPECT_EQ(out2.amount.toMinor(0), 20000);
        EXPECT_EQ(out1.counterparty().name, "Első Szállító Zrt.");
        EXPECT_EQ(out1.counterparty().account, "10700024-12345678");
        EXPECT_EQ(out2.counterparty().name, "Második Nyrt.");
        EXPECT_EQ(out1.reference(), "#2/1");
        EXPECT_EQ(out2.reference(), "#2/2");
    }
}

// What is not a camt.053 statement, or is one only in name, is refused with
// a message naming the file.
TEST(CamtReader, RefusesWhatIsNotAStatement) {
    QTemporaryDir dir;
    const QByteArray v2 = statementOfVersion(2);
    const QByteArray body = v2.mid(v2.indexOf("<Document"));
    struct Case {
        const char* name;
        QByteArray bytes;
        const char* says;
    };
    const Case cases[] = {
        {"camt052.xml",
         QByteArray(v2)
             .replace("camt.053.001.02", "camt.052.001.02")
             .replace("BkToCstmrStmt", "BkToCstmrAcctRpt"),
         "camt.052 számlaforgalmi jelentés"},
        {"pain.xml", QByteArray(v2).replace("camt.053.001.02", "pain.001.001.03"),
         "nem ISO 20022 camt.053"},
        {"v9.xml", QByteArray(v2).replace("camt.053.001.02", "camt.053.001.09"),
         "001.09 változatot"},
        {"broken.xml", v2.left(v2.size() / 2) + "<<>", "hibás XML"},
        {"empty.xml", QByteArray(), "üres vagy nem XML"},
        {"badamount.xml", QByteArray(v2).replace("127000.00", "127.000,00"), "hibás összeg"},
        {"baddate.xml", QByteArray(v2).replace("<Dt>2024-03-05</Dt>", "<Dt>2024-13-05</Dt>"),
         "hibás dátum"},
        {"external.xml",
         "<?xml version=\"1.0\"?>\n<!DOCTYPE Document [<!ENTITY x SYSTEM "
         "\"file:///etc/passwd\">]>\n" +
             QByteArray(body).replace("<Ustrd>Számla", "<Ustrd>&x; Számla"),
         "dokumentumtípus-meghatározást"},
        {"bomb.xml",
         "<?xml version=\"1.0\"?>\n<!DOCTYPE Document [<!ENTITY a \"aaaaaaaaaa\">"
         "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c "
         "\"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
         "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">]>\n" +
             QByteArray(body).replace("<Ustrd>Számla", "<Ustrd>&d;&d;&d;&d; Számla"),
         "dokumentumtípus-meghatározást"},
        {"undeclared.xml", QByteArray(v2).replace("<Ustrd>Számla", "<Ustrd>&x; Számla"),
         "hibás XML"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(QLatin1String(c.name));
        writeFile(path, c.bytes);
        auto read = CamtReader::readFile(path);
        ASSERT_FALSE(read.ok());
        EXPECT_TRUE(read.errorText().contains(QDir::toNativeSeparators(path)))
            << read.errorText().toStdString();
        EXPECT_TRUE(read.errorText().contains(QString::fromUtf8(c.says)))
            << read.errorText().toStdString();
    }

    auto wrong = CamtReader::readFile(
        TempDataFolder::sharedTestData(QStringLiteral("camt/camt053.v2.wrong.xml")));
    ASSERT_FALSE(wrong.ok());
    EXPECT_TRUE(wrong.errorText().contains("camt053.v2.wrong.xml"));
    EXPECT_TRUE(wrong.errorText().contains("nincs benne számlakivonat"));
}

// A file larger than any statement is refused before a byte of it is read.
TEST(CamtReader, RefusesAFileOverTheLimitUnread) {
    QTemporaryDir dir;
    const QString path = dir.filePath("huge.xml");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_TRUE(f.resize(CamtReader::kDefaultMaxBytes + 1));  // sparse: no disk, no memory
    f.close();
    auto read = CamtReader::readFile(path);
    ASSERT_FALSE(read.ok());
    EXPECT_TRUE(read.errorText().contains("túl nagy (100,0 MB)")) << read.errorText().toStdString();
    EXPECT_TRUE(read.errorText().contains("legfeljebb 100,0 MB"));
}
