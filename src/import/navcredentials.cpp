#include "import/navcredentials.h"

#include <qt6keychain/keychain.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace vela {

namespace {

namespace text {
const QString keyringError = QStringLiteral("A jelszótároló (kulcstartó) nem érhető el: %1");
const QString damaged = QStringLiteral(
    "A kulcstartóban tárolt NAV technikai felhasználó adatai sérültek; adja meg őket újra.");
const QString badLogin = QStringLiteral(
    "A NAV technikai felhasználó neve 6-15 betű vagy számjegy (ékezet és szóköz nélkül).");
const QString noPassword = QStringLiteral("Adja meg a NAV technikai felhasználó jelszavát.");
const QString noSignKey = QStringLiteral("Adja meg a NAV technikai felhasználó aláírókulcsát.");
const QString badTaxNumber =
    QStringLiteral("A NAV technikai felhasználóhoz a cég adószámának első 8 számjegye kell.");
}  // namespace text

const QString kEntry = QStringLiteral("nav-technikai-felhasznalo");

}  // namespace

KeychainSecretStore::KeychainSecretStore(QString service) : service_(std::move(service)) {}

void KeychainSecretStore::read(const QString& key,
                               std::function<void(Result<std::optional<QString>>)> done) {
    auto* job = new QKeychain::ReadPasswordJob(service_);
    job->setAutoDelete(true);
    job->setKey(key);
    QObject::connect(job, &QKeychain::Job::finished, [done = std::move(done)](QKeychain::Job* j) {
        auto* r = static_cast<QKeychain::ReadPasswordJob*>(j);
        if (r->error() == QKeychain::EntryNotFound)
            done(std::optional<QString>());
        else if (r->error() != QKeychain::NoError)
            done(Error{text::keyringError.arg(r->errorString())});
        else
            done(std::optional<QString>(r->textData()));
    });
    job->start();
}

void KeychainSecretStore::write(const QString& key, const QString& value,
                                std::function<void(Status)> done) {
    auto* job = new QKeychain::WritePasswordJob(service_);
    job->setAutoDelete(true);
    job->setKey(key);
    job->setTextData(value);
    QObject::connect(job, &QKeychain::Job::finished, [done = std::move(done)](QKeychain::Job* j) {
        if (j->error() != QKeychain::NoError)
            done(Error{text::keyringError.arg(j->errorString())});
        else
            done(Status{});
    });
    job->start();
}

Status NavCredentials::check(const NavTechnicalUser& user) {
    static const QRegularExpression login(QStringLiteral("^[a-zA-Z0-9]{6,15}$"));
    static const QRegularExpression tax(QStringLiteral("^[0-9]{8}$"));
    if (!login.match(user.login).hasMatch())
        return Error{text::badLogin};
    if (user.password.isEmpty())
        return Error{text::noPassword};
    if (user.signKey.isEmpty())
        return Error{text::noSignKey};
    if (!tax.match(user.taxNumber).hasMatch())
        return Error{text::badTaxNumber};
    return {};
}

void NavCredentials::load(std::function<void(Result<std::optional<NavTechnicalUser>>)> done) {
    store_.read(kEntry, [done = std::move(done)](Result<std::optional<QString>> stored) {
        if (!stored) {
            done(stored.error());
            return;
        }
        if (!stored->has_value()) {
            done(std::optional<NavTechnicalUser>());
            return;
        }
        const QJsonDocument doc = QJsonDocument::fromJson((**stored).toUtf8());
        if (!doc.isObject()) {
            done(Error{text::damaged});
            return;
        }
        const QJsonObject o = doc.object();
        NavTechnicalUser user{o.value("login").toString(), o.value("password").toString(),
                              o.value("signKey").toString(), o.value("taxNumber").toString()};
        user.environment = o.value("environment").toString() == QLatin1String("test")
                               ? NavEnvironment::Test
                               : NavEnvironment::Production;
        done(std::optional<NavTechnicalUser>(user));
    });
}

void NavCredentials::save(const NavTechnicalUser& user, std::function<void(Status)> done) {
    if (Status ok = check(user); !ok) {
        done(ok);
        return;
    }
    const QJsonObject o{
        {"login", user.login},
        {"password", user.password},
        {"signKey", user.signKey},
        {"taxNumber", user.taxNumber},
        {"environment", user.environment == NavEnvironment::Test ? "test" : "production"}};
    store_.write(kEntry, QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)),
                 std::move(done));
}

}  // namespace vela
