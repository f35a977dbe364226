#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "base/result.h"
#include "import/navclient.h"

namespace vela {

// Where secrets are kept: the desktop's keyring in the program, a map in
// the tests. Each call answers once, through its callback.
class SecretStore {
  public:
    virtual ~SecretStore() = default;
    // The value under key; nullopt when there is none.
    virtual void read(const QString& key,
                      std::function<void(Result<std::optional<QString>>)> done) = 0;
    virtual void write(const QString& key, const QString& value,
                       std::function<void(Status)> done) = 0;
};

// The desktop keyring through QtKeychain (Secret Service, KWallet ...).
class KeychainSecretStore : public SecretStore {
  public:
    explicit KeychainSecretStore(QString service = QStringLiteral("VelaData"));
    void read(const QString& key,
              std::function<void(Result<std::optional<QString>>)> done) override;
    void write(const QString& key, const QString& value, std::function<void(Status)> done) override;

  private:
    QString service_;
};

// The tax authority's technical user of the business, kept as one entry of
// a secret store, never in a database or settings file.
class NavCredentials {
  public:
    explicit NavCredentials(SecretStore& store) : store_(store) {}

    // The stored user; nullopt when none has been saved yet.
    void load(std::function<void(Result<std::optional<NavTechnicalUser>>)> done);
    // Refuses a user the interface would refuse (login, tax number, key missing).
    void save(const NavTechnicalUser& user, std::function<void(Status)> done);

    static Status check(const NavTechnicalUser& user);

  private:
    SecretStore& store_;
};

}  // namespace vela
