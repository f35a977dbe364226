#include "import/statementmatcher.h"

#include <QHash>
#include <algorithm>

namespace vela {

namespace {

// A letter folded to its plain upper-case form ("ő" -> 'O'); 0 for one that
// has no plain Latin form.
char16_t foldLetter(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x80)
        return (u >= u'a' && u <= u'z') ? char16_t(u - 32) : u;
    const QString d = QString(c).normalized(QString::NormalizationForm_D);
    const QChar base = d.isEmpty() ? c : d[0];
    return base.unicode() < 0x80 ? base.toUpper().unicode() : c.toUpper().unicode();
}

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// The runs of letters or digits of a text, and whether a separator that may
// stand inside an invoice number (blank, '/', '-', '.') or none at all comes
// before each.
struct Run {
    QString text;  // folded
    bool digits = false;
    bool softBefore = true;
};

std::vector<Run> runsOf(QStringView text) {
    std::vector<Run> runs;
    bool soft = true;
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text[i];
        if (c.isLetterOrNumber()) {
            const bool digit = isDigit(c);
            Run r;
            r.digits = digit;
            r.softBefore = soft;
            qsizetype end = i;
            while (end < text.size() && text[end].isLetterOrNumber() && isDigit(text[end]) == digit)
                ++end;
            // Sized once: a million invoice numbers are read this way.
            r.text.resize(end - i);
            QChar* out = r.text.data();
            for (; i < end; ++i) *out++ = QChar(digit ? text[i].unicode() : foldLetter(text[i]));
            runs.push_back(std::move(r));
            soft = true;
        } else {
            if (!(c.isSpace() || c == u'/' || c == u'-' || c == u'.' || c == u'_' || c == u'\\'))
                soft = false;
            ++i;
        }
    }
    return runs;
}

bool isNoiseWord(const QString& w) {
    static const char* const kWords[] = {"SZAMLA", "SZAMLAK", "SZAMLASZAM", "SZLA", "SZ",
                                         "INV",    "INVOICE", "NO",         "NR",   "SZAMLASZ"};
    for (const char* k : kWords)
        if (w == QLatin1String(k))
            return true;
    return false;
}

// The two forms of the runs from..to of a number: each digit run without its
// leading zeros, and all runs together without the leading zeros of the
// whole. Empty when fewer than three digits are written (leading zeros count).
std::pair<QString, QString> keysOf(const std::vector<Run>& runs, size_t from, size_t to) {
    QString a, b;
    qsizetype length = 0;
    for (size_t i = from; i < to; ++i) length += runs[i].text.size();
    a.reserve(length);
    b.reserve(length);
    int digitCount = 0;
    for (size_t i = from; i < to; ++i) {
        const Run& r = runs[i];
        if (r.digits) {
            qsizetype z = 0;
            while (z + 1 < r.text.size() && r.text[z] == u'0') ++z;
            a += QStringView(r.text).mid(z);
            digitCount += int(r.text.size());
        } else {
            a += r.text;
        }
        b += r.text;
    }
    if (digitCount < 3)
        return {};
    qsizetype z = 0;
    while (z + 1 < b.size() && b[z] == u'0') ++z;
    b.remove(0, z);
    return {a, b};
}

std::pair<QString, QString> numberKeys(QStringView number) {
    const std::vector<Run> runs = runsOf(number);
    size_t from = 0;
    while (from < runs.size() && !runs[from].digits && isNoiseWord(runs[from].text)) ++from;
    return keysOf(runs, from, runs.size());
}

size_t hashOf(const QString& key) {
    return qHash(key, size_t(0x9e3779b97f4a7c15ULL));
}

// An index entry: the upper half of the hash, the item below it.
quint64 indexEntry(size_t hash, int item) {
    return (quint64(hash) >> 32 << 32) | quint32(item);
}

bool openRow(const OpenItem& item) {
    return item.remaining() > BankAmount();
}

}  // namespace

struct StatementMatcher::Context {
    QHash<int, BankAmount> used;  // what earlier transactions of the statement took
    OpenLedger ledger = OpenLedger::Receivables;
    QString currency;
    int decimals = 2;

    BankAmount open(const std::vector<OpenItem>& items, int i) const {
        return items[size_t(i)].remaining() - used.value(i);
    }
};

QString StatementMatcher::invoiceKey(QStringView number) {
    return numberKeys(number).first;
}

QString StatementMatcher::accountKey(QStringView account) {
    QString s;
    for (QChar c : account)
        if (!c.isSpace() && c != u'-')
            s += c.toUpper();
    auto allDigits = [](QStringView v) {
        return std::all_of(v.begin(), v.end(), [](QChar c) { return isDigit(c); });
    };
    if (s.size() == 28 && s.startsWith(QLatin1String("HU")) && allDigits(QStringView(s).mid(2)))
        s = s.mid(4);
    if (s.size() == 16 && allDigits(s))
        return s + QStringLiteral("00000000");
    return s;
}

QString StatementMatcher::nameKey(QStringView name) {
    static const char* const kForms[] = {"KFT", "BT", "ZRT", "NYRT", "RT", "KKT", "EV"};
    QStringList words;
    QString word;
    auto flush = [&] {
        bool form = false;
        for (const char* f : kForms) form = form || word == QLatin1String(f);
        if (!word.isEmpty() && !form)
            words << word;
        word.clear();
    };
    for (QChar c : name) {
        if (c.isLetterOrNumber())
            word += QChar(foldLetter(c));
        else if (c == u'.' && word.size() <= 2 && !word.isEmpty())
            continue;  // "e.v.", "K.F.T." read as one word
        else
            flush();
    }
    flush();
    return words.join(u' ');
}

StatementMatcher::StatementMatcher(std::vector<OpenItem> items,
                                   const std::vector<PartnerAccount>& partners)
    : items_(std::move(items)) {
    currencies_.reserve(items_.size());
    itemNameKeys_.reserve(items_.size());
    numberIndex_.reserve(items_.size() * 2);
    nameIndex_.reserve(items_.size());
    QHash<QString, QString> currencyCache, nameCache;
    for (size_t i = 0; i < items_.size(); ++i) {
        const OpenItem& it = items_[i];
        auto c = currencyCache.constFind(it.currency);
        if (c == currencyCache.cend())
            c = currencyCache.insert(it.currency, currency::normalized(it.currency));
        currencies_.push_back(*c);
        auto n = nameCache.constFind(it.partnerName);
        if (n == nameCache.cend())
            n = nameCache.insert(it.partnerName, nameKey(it.partnerName));
        itemNameKeys_.push_back(*n);
        if (!openRow(it))
            continue;
        if (!n->isEmpty())
            nameIndex_.push_back(indexEntry(hashOf(*n), int(i)));
        const auto [a, b] = numberKeys(it.invoiceNumber);
        if (!a.isEmpty()) {
            numberIndex_.push_back(indexEntry(hashOf(a), int(i)));
            if (b != a)
                numberIndex_.push_back(indexEntry(hashOf(b), int(i)));
        }
    }
    std::sort(numberIndex_.begin(), numberIndex_.end());
    std::sort(nameIndex_.begin(), nameIndex_.end());
    for (const PartnerAccount& p : partners) {
        const QString key = accountKey(p.account);
        if (key.size() >= 8)
            accountIndex_.emplace_back(hashOf(key), nameKey(p.name));
    }
    std::sort(accountIndex_.begin(), accountIndex_.end());
}

std::vector<int> StatementMatcher::lookup(const std::vector<quint64>& index, size_t hash) const {
    std::vector<int> out;
    const quint64 half = indexEntry(hash, 0);
    auto it = std::lower_bound(index.begin(), index.end(), half);
    for (; it != index.end() && (*it >> 32) == (half >> 32); ++it) out.push_back(int(quint32(*it)));
    return out;
}

std::vector<std::vector<int>> StatementMatcher::numberHits(const QString& text,
                                                           const Context& ctx) const {
    std::vector<std::vector<int>> groups;
    const std::vector<Run> runs = runsOf(text);
    constexpr size_t kMaxRuns = 6;
    auto eligible = [&](int i) {
        const OpenItem& it = items_[size_t(i)];
        return it.ledger == ctx.ledger && currencies_[size_t(i)] == ctx.currency &&
               ctx.open(items_, i) > BankAmount();
    };
    for (size_t from = 0; from < runs.size();) {
        if (!runs[from].digits && isNoiseWord(runs[from].text)) {
            ++from;
            continue;
        }
        size_t last = from + 1;
        while (last < runs.size() && last - from < kMaxRuns && runs[last].softBefore) ++last;
        bool found = false;
        // The longest number wins: "2024/123" is not also the invoice "123".
        for (size_t to = last; to > from && !found; --to) {
            const auto [a, b] = keysOf(runs, from, to);
            if (a.isEmpty())
                continue;
            std::vector<int> rows;
            for (const QString& key : {a, b}) {
                for (int i : lookup(numberIndex_, hashOf(key))) {
                    const auto [ia, ib] = numberKeys(items_[size_t(i)].invoiceNumber);
                    if ((ia == key || ib == key) && eligible(i) &&
                        std::find(rows.begin(), rows.end(), i) == rows.end())
                        rows.push_back(i);
                }
                if (b == a)
                    break;
            }
            if (!rows.empty()) {
                found = true;
                bool known = false;
                for (const auto& g : groups) known = known || g == rows;
                if (!known)
                    groups.push_back(std::move(rows));
                from = to;
            }
        }
        if (!found)
            ++from;
    }
    return groups;
}

std::vector<Proposal> StatementMatcher::match(const BankStatement& statement,
                                              const QSet<QString>& bookedReferences) const {
    std::vector<Proposal> out;
    out.reserve(statement.entries.size());
    Context ctx;
    for (const StatementEntry& e : statement.entries) {
        if (bookedReferences.contains(bookingReference(statement, e))) {
            Proposal p;
            p.kind = ProposalKind::AlreadyBooked;
            p.sure = true;
            p.note = QStringLiteral("Ezt a tételt erről a kivonatról már lekönyvelték.");
            out.push_back(std::move(p));
            continue;
        }
        Proposal p = propose(e, ctx);
        for (const ProposalLine& l : p.lines) ctx.used[l.item] += l.amount;
        out.push_back(std::move(p));
    }
    return out;
}

Proposal StatementMatcher::propose(const StatementEntry& e, Context& ctx) const {
    Proposal p;
    if (e.reversal) {
        p.note = QStringLiteral("Sztornótétel: nem egyenlít ki számlát.");
        return p;
    }
    if (!e.status.isEmpty() && e.status != QLatin1String("BOOK")) {
        p.note = QStringLiteral("A bank még nem könyvelte le a tételt (%1).").arg(e.status);
        return p;
    }
    ctx.ledger = e.credit ? OpenLedger::Receivables : OpenLedger::Payables;
    ctx.currency = currency::normalized(e.currency);
    ctx.decimals = currency::settlementDecimals(ctx.currency);
    const BankAmount amount = e.amount;
    auto equal = [&](BankAmount a, BankAmount b) {
        return a.rounded(ctx.decimals) == b.rounded(ctx.decimals);
    };
    auto open = [&](int i) { return ctx.open(items_, i); };
    auto oldestFirst = [&](std::vector<int>& rows) {
        std::sort(rows.begin(), rows.end(), [&](int x, int y) {
            const OpenItem &a = items_[size_t(x)], &b = items_[size_t(y)];
            return std::tie(a.sorszam, a.key) < std::tie(b.sorszam, b.key);
        });
    };
    auto single = [&](int i, MatchBasis basis, bool sure, const QString& doubt) {
        Proposal s;
        s.basis = basis;
        s.sure = sure;
        s.note = sure ? QString() : doubt;
        const BankAmount left = open(i);
        if (equal(amount, left)) {
            s.kind = ProposalKind::Whole;
            s.lines = {{i, left, true}};
        } else if (amount < left) {
            s.kind = ProposalKind::Part;
            s.lines = {{i, amount, false}};
        } else {
            s.kind = ProposalKind::Whole;
            s.lines = {{i, left, true}};
            s.excess = amount - left;
            s.sure = false;
            s.note = QStringLiteral("A befizetés %1 %2-tal több, mint a számla nyitott összege.")
                         .arg(s.excess.toString(), ctx.currency);
        }
        return s;
    };
    auto several = [&](std::vector<int> rows, MatchBasis basis, bool sure, const QString& doubt) {
        Proposal s;
        s.kind = ProposalKind::Several;
        s.basis = basis;
        s.sure = sure;
        s.note = sure ? QString() : doubt;
        oldestFirst(rows);
        BankAmount total;
        for (int i : rows) total += open(i);
        BankAmount left = amount;
        for (int i : rows) {
            const BankAmount o = open(i);
            if (left >= o || equal(left, o)) {
                s.lines.push_back({i, o, true});
                left -= o;
            } else if (left > BankAmount()) {
                s.lines.push_back({i, left, false});
                left = BankAmount();
            }
        }
        if (!equal(amount, total)) {
            s.sure = false;
            if (amount > total) {
                s.excess = amount - total;
                s.note = QStringLiteral(
                             "A befizetés %1 %2-tal több, mint a számlák nyitott "
                             "összege együtt.")
                             .arg(s.excess.toString(), ctx.currency);
            } else {
                s.note = QStringLiteral(
                    "A befizetés kevesebb, mint a megnevezett számlák "
                    "nyitott összege együtt.");
            }
        }
        if (s.lines.size() == 1)
            s.kind = s.lines[0].settles ? ProposalKind::Whole : ProposalKind::Part;
        return s;
    };
    const StatementParty& other = e.counterparty();
    const QString otherAccount = accountKey(other.account);
    const QString otherName = nameKey(other.name);
    QStringList accountNames;
    if (otherAccount.size() >= 8) {
        const size_t h = hashOf(otherAccount);
        auto it = std::lower_bound(accountIndex_.begin(), accountIndex_.end(),
                                   std::make_pair(h, QString()));
        for (; it != accountIndex_.end() && it->first == h; ++it) accountNames << it->second;
    }
    // Of several rows with one number: the one the amount, the account or the
    // name points to, else the oldest.
    auto choose = [&](std::vector<int> rows) {
        oldestFirst(rows);
        for (int i : rows)
            if (equal(open(i), amount))
                return i;
        for (int i : rows)
            if (accountNames.contains(itemNameKeys_[size_t(i)]))
                return i;
        for (int i : rows)
            if (!otherName.isEmpty() && itemNameKeys_[size_t(i)] == otherName)
                return i;
        return rows.front();
    };

    // 1. Invoice numbers in the remittance text.
    const std::vector<std::vector<int>> groups = numberHits(e.remittanceText(), ctx);
    if (!groups.empty()) {
        const QString ambiguous =
            QStringLiteral("A közleményben álló számlaszám több nyitott tételnél is szerepel.");
        bool sure = true;
        std::vector<int> rows;
        for (const auto& g : groups) {
            sure = sure && g.size() == 1;
            const int pick = g.size() == 1 ? g.front() : choose(g);
            if (std::find(rows.begin(), rows.end(), pick) == rows.end())
                rows.push_back(pick);
        }
        if (rows.size() == 1)
            return single(rows.front(), MatchBasis::InvoiceNumber, sure, ambiguous);
        return several(rows, MatchBasis::InvoiceNumber, sure, ambiguous);
    }

    // 2. and 3. The partner, by account, else by name: an open amount equal
    // to the payment, or all its open invoices together.
    auto byPartner = [&](const std::vector<int>& found, MatchBasis basis,
                         bool sureAllowed) -> std::optional<Proposal> {
        std::vector<int> rows;
        for (int i : found) {
            const OpenItem& it = items_[size_t(i)];
            if (it.ledger == ctx.ledger && currencies_[size_t(i)] == ctx.currency &&
                open(i) > BankAmount())
                rows.push_back(i);
        }
        if (rows.empty())
            return std::nullopt;
        oldestFirst(rows);
        const QString guess =
            QStringLiteral("Csak a partner neve egyezik; a számlát a program csak sejti.");
        std::vector<int> exact;
        BankAmount total;
        for (int i : rows) {
            total += open(i);
            if (equal(open(i), amount))
                exact.push_back(i);
        }
        if (exact.size() == 1)
            return single(exact.front(), basis, sureAllowed, guess);
        if (exact.size() > 1)
            return single(exact.front(), basis, false,
                          QStringLiteral("A partnernek több ugyanekkora nyitott tétele is van."));
        if (rows.size() > 1 && equal(total, amount))
            return several(rows, basis, sureAllowed, guess);
        if (rows.size() == 1)
            return single(rows.front(), basis, false,
                          basis == MatchBasis::Name
                              ? guess
                              : QStringLiteral("Az összeg nem egyezik a partner nyitott "
                                               "tételének összegével."));
        Proposal none;
        none.note = QStringLiteral(
            "A partnernek több nyitott tétele van, de egyiknek az "
            "összege sem egyezik a befizetéssel.");
        return none;
    };
    if (!accountNames.isEmpty()) {
        std::vector<int> found;
        accountNames.removeDuplicates();
        for (const QString& n : std::as_const(accountNames)) {
            if (n.isEmpty())
                continue;
            for (int i : lookup(nameIndex_, hashOf(n)))
                if (itemNameKeys_[size_t(i)] == n)
                    found.push_back(i);
        }
        if (auto r = byPartner(found, MatchBasis::Account, true))
            return *r;
    }
    if (!otherName.isEmpty()) {
        std::vector<int> found;
        for (int i : lookup(nameIndex_, hashOf(otherName)))
            if (itemNameKeys_[size_t(i)] == otherName)
                found.push_back(i);
        if (auto r = byPartner(found, MatchBasis::Name, false))
            return *r;
    }
    p.note = QStringLiteral("Nincs a tételhez illő nyitott számla.");
    return p;
}

}  // namespace vela
