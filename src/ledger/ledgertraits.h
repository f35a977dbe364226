#pragma once

#include <QString>

#include "ledgercore/ledgerkind.h"
#include "storage/query.h"
#include "ui/dialogservice.h"

namespace vela {

struct TableDef;

// Everything in which the payables and the receivables window differ; one
// window class reads it for its kind.
struct LedgerTraits {
    LedgerKind kind;
    const TableDef& table;
    QString windowName;  // objectName: the table's name
    QString windowCaption;
    QString gridCaption;
    QString sideLabel;  // Label22
    QString sideLabelTip;
    QList<OrderKey> rowsOrder;
    // CountData: the open gross, and CountData2: the open partial gross, as
    // a summed amount and the rows it sums over.
    Amount openTotal;
    Condition openTotalWhere;
    Amount partialTotal;
    Condition partialTotalWhere;
    bool hasParameters;         // reads ParameterData on becoming active
    bool moveLastOnActivate;    // or stays on the first row
    bool hasReceivablesMenu;    // "&Nekünk tartoznak (Vevő)"
    bool importEnabled;         // "FakturoW számlázóból"
    bool signFilters;           // "Csak pozitív" / "Csak negatív"
    bool recomputeOnSave;       // gross values recomputed by "OK"
    bool partialGrossEditable;  // Text20 beside Label26
    QString partnerFilterCaption;
    QString deleteFromHereCaption;  // MindTorol
    QString paymentLabelName;       // caption of Text19
    QString partialGrossLabelName;  // caption of the partial gross field
    QString label26Caption;         // design caption of Label26
    QString partnerNoRowsTitle;
    // "Törlés"
    QString deleteQuestion;
    QString deleteTitle;
    DialogService::Icon deleteIcon;
    DialogService::Icon deletedAllIcon;  // "Minden adat törölve" after "Törlés"
    QString ledgerUpdateTitle;           // the duplication's failed ledger copy

    static const LedgerTraits& of(LedgerKind kind);

    // What the filter item says when it finds no row.
    QString noRowsMessage(const QString& item) const;

    // The whole ledger in its order: "Minden adat (szűrés ki)".
    Query allRows() const { return Query(table, {}, rowsOrder); }
};

}  // namespace vela
