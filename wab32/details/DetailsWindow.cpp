// libwab32-details.so: the library's modal, read-only details window.
#include "properties/PropertyTags.h"
#include "wab32/DetailsModule.h"
#include "wab32/PropertyNames.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QStringDecoder>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

// Stored bytes as text: UTF-8 where they are valid UTF-8, else Latin-1.
QString BytesText(const char* bytes, qsizetype size) {
    const QByteArray raw(bytes, size);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(raw);
    if (utf8.hasError()) {
        text = QString::fromLatin1(raw);
    }
    return text;
}

QString ValueText(const SPropValue& p) {
    switch (PROP_TYPE(p.ulPropTag)) {
        case PT_STRING8:
            return p.Value.lpszA != nullptr ? BytesText(p.Value.lpszA, -1) : QString();
        case PT_MV_STRING8: {
            QStringList values;
            for (ULONG i = 0; i < p.Value.MVszA.cValues; ++i) {
                values << BytesText(p.Value.MVszA.lppszA[i], -1);
            }
            return values.join(QLatin1Char('\n'));
        }
        case PT_SYSTIME: {
            const std::uint64_t ft =
                (std::uint64_t{p.Value.ft.dwHighDateTime} << 32) | p.Value.ft.dwLowDateTime;
            return QString::fromStdString(wab32::FiletimeText(ft));
        }
        case PT_BINARY:
            return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(p.Value.bin.lpb),
                                                  static_cast<qsizetype>(p.Value.bin.cb))
                                           .toHex(' ')
                                           .toUpper());
        case PT_LONG:
            return QString::number(p.Value.l);
        default:
            return QString();
    }
}

QString ShownName(const SPropValue* props, ULONG count) {
    QString name;
    for (ULONG i = 0; i < count; ++i) {
        if (props[i].ulPropTag == PR_DISPLAY_NAME_A && props[i].Value.lpszA != nullptr) {
            name = BytesText(props[i].Value.lpszA, -1);
        }
    }
    return name;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) HRESULT WabShowDetails(const SPropValue* props,
                                                                         ULONG count,
                                                                         ULONG objectType) {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        return MAPI_E_CALL_FAILED;
    }
    QDialog dialog(QApplication::activeWindow());
    dialog.setObjectName(QStringLiteral("WabDetailsDialog"));
    const QString name = ShownName(props, count);
    dialog.setWindowTitle(name.isEmpty() ? QStringLiteral("Properties")
                                         : name + QStringLiteral(" Properties"));
    dialog.setModal(true);

    auto* table = new QTableWidget(static_cast<int>(count), 2, &dialog);
    table->setObjectName(QStringLiteral("WabDetailsTable"));
    table->setHorizontalHeaderLabels({QStringLiteral("Property"), QStringLiteral("Value")});
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setWordWrap(true);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    for (ULONG i = 0; i < count; ++i) {
        const char* known = wab32::PropertyName(props[i].ulPropTag);
        const QString label =
            known != nullptr
                ? QString::fromLatin1(known)
                : QStringLiteral("Property 0x%1").arg(props[i].ulPropTag, 8, 16, QLatin1Char('0'));
        table->setItem(static_cast<int>(i), 0, new QTableWidgetItem(label));
        table->setItem(static_cast<int>(i), 1, new QTableWidgetItem(ValueText(props[i])));
    }
    table->resizeColumnToContents(0);
    table->resizeRowsToContents();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(table);
    layout->addWidget(buttons);
    dialog.setProperty("objectType", static_cast<uint>(objectType));
    dialog.resize(520, 420);
    dialog.exec();
    return S_OK;
}
