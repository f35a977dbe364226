#pragma once

#include <QString>
#include <vector>

// The Hungarian word lists the demo data is drawn from: partners, countries,
// goods and services, remarks.
namespace vela::demo {

struct PartnerWords {
    const char* name;
    const char* postalCode;
    const char* town;
    const char* street;
    const char* kind;     // "V" customer, "B" supplier, "" both
    const char* country;  // ISO code
};

struct CountryWords {
    const char* code;
    const char* name;
};

const std::vector<PartnerWords>& partners();
const std::vector<CountryWords>& countries();
const std::vector<const char*>& contactNames();

// What the business buys (payables) and sells (receivables).
const std::vector<const char*>& purchaseDescriptions();
const std::vector<const char*>& saleDescriptions();
// Item lines of the invoicing program's documents.
const std::vector<const char*>& invoiceItems();

const std::vector<const char*>& remarks();
const std::vector<const char*>& attentionRemarks();

// The eight payment methods, in the order the filters list them.
const std::vector<QString>& paymentMethods();

}  // namespace vela::demo
