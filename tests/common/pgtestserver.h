#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QString>
#include <cstdlib>

#include "base/postgres/pgconnection.h"

namespace vela::test {

// The test cluster's connection string, set by CTest's fixture (or by
// scripts/pgcluster.sh for a program started by hand).
inline QString pgTestServer() {
    const char* info = std::getenv("VELA_PG_TEST");
    return info ? QString::fromUtf8(info) : QString();
}

// A database of its own on the test cluster for one test program, dropped
// with the object: programs that CTest runs side by side never meet.
class PgTestDatabase {
  public:
    explicit PgTestDatabase(const QString& name) {
        const QString server = pgTestServer();
        if (server.isEmpty()) {
            ADD_FAILURE() << "VELA_PG_TEST is not set: run scripts/test.sh, or start "
                             "scripts/pgcluster.sh and export its connection string";
            return;
        }
        name_ = QStringLiteral("%1_%2").arg(name).arg(QCoreApplication::applicationPid());
        auto admin = postgres::PgConnection::open(server, QString());
        if (!admin) {
            ADD_FAILURE() << admin.errorText().toStdString();
            return;
        }
        admin_ = std::move(*admin);
        (void)admin_->execScript(QStringLiteral("DROP DATABASE IF EXISTS \"%1\"").arg(name_));
        if (Status s = admin_->execScript(
                QStringLiteral("CREATE DATABASE \"%1\" TEMPLATE template0 ENCODING 'UTF8'")
                    .arg(name_));
            !s)
            ADD_FAILURE() << s.errorText().toStdString();
        conninfo_ = server + QStringLiteral(" dbname=") + name_;
    }
    ~PgTestDatabase() {
        if (admin_)
            (void)admin_->execScript(
                QStringLiteral("DROP DATABASE IF EXISTS \"%1\" WITH (FORCE)").arg(name_));
    }
    PgTestDatabase(const PgTestDatabase&) = delete;
    PgTestDatabase& operator=(const PgTestDatabase&) = delete;

    // A connection string to this database.
    const QString& conninfo() const { return conninfo_; }
    const QString& name() const { return name_; }

  private:
    QString name_;
    QString conninfo_;
    std::unique_ptr<postgres::PgConnection> admin_;
};

}  // namespace vela::test
