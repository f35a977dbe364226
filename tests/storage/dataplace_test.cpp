// Where the data lives: the parameters row's server address decides whether
// the ledgers, the partner register and the staging table open from the
// data folder's files or on a database server.
#include <gtest/gtest.h>

#include "storage/datafolderdatabases.h"
#include "storage/dataplace.h"
#include "storage/recordsource.h"
#include "storage/servertransfer.h"
#include "storagebackend.h"

using namespace vela;
using test::Backend;

namespace {

Status keepAddress(const QString& address) {
    auto parameters = Database::open(QStringLiteral("parameter.kdb"));
    if (!parameters)
        return parameters.error();
    if (Status s = (*parameters)
                       ->exec(QStringLiteral("INSERT INTO EmblemaPath (DevizaNem) VALUES ('Ft')"));
        !s)
        return s;
    return setServerAddress(**parameters, address);
}

class DataPlace : public ::testing::TestWithParam<Backend> {};

}  // namespace

TEST_P(DataPlace, OpensWhereTheParametersSayAndKeepsTheScratchTablePerSession) {
    test::StorageBackend backend;
    const bool server = GetParam() == Backend::Server;
    if (server) {
        for (const QString& name : serverDatabases())
            ASSERT_TRUE(backend.open(Backend::Server, name)) << name.toStdString();
        ASSERT_TRUE(keepAddress(test::StorageBackend::testServer().conninfo()));
    }
    DataFolderDatabases a, b;
    a.openAll();
    b.openAll();
    for (const DataFolderDatabases* d : {&a, &b}) {
        ASSERT_TRUE(d->veladata) << d->veladataStatus.errorText().toStdString();
        ASSERT_TRUE(d->betarol) << d->betarolStatus.errorText().toStdString();
        ASSERT_TRUE(d->lfakturo) << d->lfakturoStatus.errorText().toStdString();
        ASSERT_TRUE(d->parameters);
        EXPECT_EQ(d->veladata->onServer(), server);
        EXPECT_EQ(d->betarol->onServer(), server);
        EXPECT_EQ(d->lfakturo->onServer(), server);
        EXPECT_FALSE(d->parameters->onServer());
    }
    EXPECT_TRUE(whereText(a).contains(server ? "adatbázis-kiszolgálón dolgozik"
                                             : "az adatmappa fájljain dolgozik"))
        << whereText(a).toStdString();
    // A ledger row written by one is read by the other; a scratch row only
    // where the scratch table is shared (the file).
    const QString ledger = test::StorageBackend::sql(
        GetParam(), "INSERT INTO VelaData (Sorszám, CegNev) VALUES (7, 'Hét Kft')");
    const QString scratch = test::StorageBackend::sql(
        GetParam(), "INSERT INTO VelaIdeigl (Sorszám, CegNev) VALUES (8, 'Nyolc Kft')");
    ASSERT_TRUE(a.veladata->exec(ledger));
    ASSERT_TRUE(a.veladata->exec(scratch));
    auto count = [&](const char* table) {
        return b.veladata
            ->scalar(test::StorageBackend::sql(GetParam(),
                                               QStringLiteral("SELECT count(*) FROM ") + table))
            ->toInt();
    };
    EXPECT_EQ(count("VelaData"), 1);
    EXPECT_EQ(count("VelaIdeigl"), server ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(Backends, DataPlace, ::testing::Values(Backend::Files, Backend::Server),
                         test::backendName);

// An address that cannot serve gives one Hungarian message for all three
// databases, never with the password; the parameters stay open.
TEST(DataPlaceRefused, OneMessageWithoutPassword) {
    struct Case {
        const char* address;
        const char* says;
    } const cases[] = {
        {"host=/nonexistent/vela-socket dbname=vela user=konyvelo",
         "Nem sikerült kapcsolódni az adatbázis-kiszolgálóhoz"},
        {"host=/nonexistent/vela-socket password=titok", "A jelszót a program nem tárolja"},
        {"host='/nonexistent", "nem olvashatók"},
    };
    for (const Case& c : cases) {
        TempDataFolder folder;
        auto parameters = Database::open(QStringLiteral("parameter.kdb"));
        ASSERT_TRUE(parameters);
        ASSERT_TRUE((*parameters)
                        ->exec("INSERT INTO EmblemaPath (Kiszolgalo) VALUES (?)",
                               {QString::fromUtf8(c.address)}));
        parameters->reset();
        DataFolderDatabases d;
        d.openAll();
        EXPECT_TRUE(d.parameters) << c.address;
        EXPECT_FALSE(d.veladata || d.betarol || d.lfakturo) << c.address;
        const QString text = d.veladataStatus.errorText();
        EXPECT_TRUE(text.contains(QString::fromUtf8(c.says))) << text.toStdString();
        EXPECT_FALSE(text.contains("titok")) << text.toStdString();
        EXPECT_EQ(d.betarolStatus.errorText(), text);
        EXPECT_EQ(d.lfakturoStatus.errorText(), text);
        // The window's setter refuses a password too, and keeps the old value.
        const Status set = setServerAddress(*d.parameters, "service=vela password=titok");
        EXPECT_FALSE(set);
        EXPECT_FALSE(set.errorText().contains("titok"));
        EXPECT_EQ(serverAddress(*d.parameters), QString::fromUtf8(c.address));
    }
}
