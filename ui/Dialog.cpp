#include "ui/Dialog.h"

#include "platform/FileError.h"
#include "ui/ContactListView.h"
#include "ui/Resource.h"
#include "ui/resources/MainIcon.h"

#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QLabel>
#include <QMenu>
#include <QPaintEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>

QMessageBox::StandardButton ShowMessage(QWidget* parent, QMessageBox::Icon icon,
                                        const QString& text, QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton) {
    QMessageBox box(icon, parent->windowTitle(), text, buttons, parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

const MessageMapEntry* FindMessageMapEntry(const MessageMap& map, unsigned message, unsigned code,
                                           int id) {
    for (int i = 0; i < map.count; ++i) {
        const MessageMapEntry& entry = map.entries[i];
        if (entry.message != message) {
            continue;
        }
        const bool fromControl = message == WM_COMMAND || message == WM_NOTIFY;
        if (!fromControl || (entry.code == code && entry.id == id)) {
            return &entry;
        }
    }
    return nullptr;
}

CDialog::CDialog(const DialogTemplate& dialogTemplate, QWidget* parent)
    : QDialog(parent), m_template(dialogTemplate) {
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (m_template.style.systemMenu) {
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    }
    setWindowFlags(flags);
    setWindowTitle(QString::fromStdString(m_template.caption));
    setFont(DialogFont(m_template));
    m_baseUnits = MeasureBaseUnits(font());
    const PixelRect size =
        DialogUnitsToPixels({0, 0, m_template.width, m_template.height}, m_baseUnits);
    setFixedSize(size.width, size.height);
    CreateControls();
    if (m_template.style.systemMenu) {
        CreateSystemMenu();
    }
}

CDialog::~CDialog() = default;

QFont CDialog::DialogFont(const DialogTemplate& dialogTemplate) {
    const QString family = QString::fromStdString(dialogTemplate.fontName);
    QFont font = QFontDatabase::families().contains(family)
                     ? QFont(family)
                     : QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSize(dialogTemplate.fontPointSize);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    return font;
}

DialogBaseUnits CDialog::MeasureBaseUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return DialogBaseUnits{AverageCharWidth(letters), metrics.height()};
}

void CDialog::CreateControls() {
    bool defaultSet = false;
    for (const ControlTemplate& control : m_template.controls) {
        QWidget* widget = nullptr;
        switch (control.kind) {
            case ControlKind::PushButton: {
                auto* button = new QPushButton(QString::fromStdString(control.caption), this);
                // Enter presses the focused button, or the dialog's default.
                button->setAutoDefault(true);
                if (control.style.defaultButton && !defaultSet) {
                    button->setDefault(true);
                    defaultSet = true;
                }
                const int id = control.id;
                connect(button, &QPushButton::clicked, this,
                        [this, id] { SendCommand(BN_CLICKED, id); });
                button->installEventFilter(this);
                widget = button;
                break;
            }
            case ControlKind::ListView: {
                auto* list = new ContactListView(this);
                list->setFrameShape(control.style.border ? QFrame::StyledPanel : QFrame::NoFrame);
                const int id = control.id;
                connect(list, &ContactListView::ItemChanged, this, [this, id] {
                    MessageArgs args;
                    SendDlgMessage(WM_NOTIFY, LVN_ITEMCHANGED, id, args);
                });
                widget = list;
                break;
            }
            case ControlKind::ProgressBar: {
                auto* bar = new QProgressBar(this);
                bar->setRange(0, 100);
                bar->setValue(0);
                bar->setTextVisible(false);
                widget = bar;
                break;
            }
            case ControlKind::StaticText: {
                auto* label = new QLabel(QString::fromStdString(control.caption), this);
                label->setAlignment(control.style.centered ? Qt::AlignHCenter | Qt::AlignTop
                                                           : Qt::AlignLeft | Qt::AlignTop);
                widget = label;
                break;
            }
            case ControlKind::StaticIcon: {
                // An icon control takes the icon's own size at its position.
                auto* label = new QLabel(this);
                label->setPixmap(LoadMainIcon().pixmap(32, 32));
                widget = label;
                break;
            }
        }
        const PixelRect r = DialogUnitsToPixels(control.rect, m_baseUnits);
        if (control.kind == ControlKind::StaticIcon) {
            widget->setGeometry(r.x, r.y, 32, 32);
        } else {
            widget->setGeometry(r.x, r.y, r.width, r.height);
        }
        widget->setFocusPolicy(control.style.tabStop ? Qt::StrongFocus : Qt::NoFocus);
        widget->setEnabled(!control.style.disabled);
        widget->setProperty("controlId", control.id);
        if (control.id != IDC_STATIC) {
            m_controls[control.id] = widget;
        }
    }
}

void CDialog::CreateSystemMenu() {
    m_pSystemMenu = new QMenu(this);
    QAction* close = m_pSystemMenu->addAction(QStringLiteral("&Close"));
    close->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
    close->setData(SC_CLOSE);
    connect(m_pSystemMenu, &QMenu::triggered, this, [this](QAction* action) {
        MessageArgs args;
        args.wParam = action->data().toUInt();
        SendDlgMessage(WM_SYSCOMMAND, 0, 0, args);
    });
    auto* shortcut = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), this);
    connect(shortcut, &QShortcut::activated, this,
            [this] { ShowSystemMenu(mapToGlobal(QPoint(0, 0))); });
}

void CDialog::ShowSystemMenu(const QPoint& globalPos) {
    if (m_pSystemMenu != nullptr) {
        m_pSystemMenu->popup(globalPos);
    }
}

void CDialog::contextMenuEvent(QContextMenuEvent* event) {
    if (m_pSystemMenu == nullptr) {
        QDialog::contextMenuEvent(event);
        return;
    }
    ShowSystemMenu(event->globalPos());
    event->accept();
}

QWidget* CDialog::GetDlgItem(int id) const {
    const auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second;
}

BOOL CDialog::OnInitDialog() {
    DoDataExchange();
    return TRUE;
}

void CDialog::FocusFirstTabStop() {
    for (const ControlTemplate& control : m_template.controls) {
        QWidget* widget = GetDlgItem(control.id);
        if (control.style.tabStop && widget != nullptr && widget->isEnabled()) {
            widget->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

void CDialog::Create() {
    if (OnInitDialog()) {
        FocusFirstTabStop();
    }
    show();
}

int CDialog::DoModal() {
    if (OnInitDialog()) {
        FocusFirstTabStop();
    }
    return exec();
}

void CDialog::EndDialog(int result) {
    done(result);
}

const MessageMap& CDialog::GetMessageMap() const {
    static const MessageMap empty{nullptr, 0};
    return empty;
}

void CDialog::SendCommand(unsigned code, int id) {
    MessageArgs args;
    SendDlgMessage(WM_COMMAND, code, id, args);
}

void CDialog::SendDlgMessage(unsigned message, unsigned code, int id, MessageArgs& args) {
    const MessageMapEntry* entry = FindMessageMapEntry(GetMessageMap(), message, code, id);
    try {
        if (entry != nullptr) {
            entry->handler(*this, args);
        } else {
            Default(message, code, id, args);
        }
    } catch (const FileError& error) {
        ReportFileError(error);
    }
}

void CDialog::Default(unsigned message, unsigned code, int id, MessageArgs& args) {
    switch (message) {
        case WM_COMMAND:
            if (code == BN_CLICKED && (id == IDOK || id == IDCANCEL)) {
                EndDialog(id);
            }
            break;
        case WM_SYSCOMMAND:
            switch (args.wParam & 0xFFF0) {
                case SC_CLOSE:
                    SendCommand(BN_CLICKED, IDCANCEL);
                    break;
                case SC_MINIMIZE:
                    showMinimized();
                    break;
                default:
                    break;
            }
            break;
        case WM_PAINT:
            if (m_pPaintEvent != nullptr) {
                QDialog::paintEvent(m_pPaintEvent);
            }
            break;
        default:
            break;
    }
}

void CDialog::ReportFileError(const FileError& error) {
    ShowMessage(
        this, QMessageBox::Critical,
        tr("The file \"%1\" could not be written.\n%2")
            .arg(QString::fromStdString(error.path()), QString::fromStdString(error.reason())));
}

void CDialog::paintEvent(QPaintEvent* event) {
    QPaintEvent* saved = m_pPaintEvent;
    m_pPaintEvent = event;
    MessageArgs args;
    SendDlgMessage(WM_PAINT, 0, 0, args);
    m_pPaintEvent = saved;
}

void CDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_template.style.setForeground) {
        raise();
        activateWindow();
    }
}

bool CDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (auto* button = qobject_cast<QPushButton*>(watched); button != nullptr) {
            SendCommand(BN_DOUBLECLICKED, button->property("controlId").toInt());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CDialog::reject() {
    SendCommand(BN_CLICKED, IDCANCEL);
}

void CDialog::accept() {
    SendCommand(BN_CLICKED, IDOK);
}
