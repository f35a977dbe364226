#pragma once

namespace vela {

// The two ledgers: what we owe suppliers and what customers owe us.
enum class LedgerKind { Payables, Receivables };

}  // namespace vela
