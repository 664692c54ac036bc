#include "ui/FileDialogs.h"

#include "ui/Dialog.h"

#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QString>

#include <filesystem>
#include <string_view>
#include <system_error>

std::string FilterDescriptions(const char* barFilter) {
    // Pairs of description and pattern, separated by bars; only the
    // descriptions are shown, one per line.
    std::string result;
    std::string_view rest(barFilter);
    bool description = true;
    while (!rest.empty()) {
        const std::size_t bar = rest.find('|');
        const std::string_view part = rest.substr(0, bar);
        if (description && !part.empty()) {
            if (!result.empty()) {
                result += ";;";
            }
            result += part;
        }
        description = !description;
        if (bar == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(bar + 1);
    }
    return result;
}

namespace {

bool HasWildcard(const QString& name) {
    return name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?'));
}

// The one entry of folder whose name Qt shows as shown; empty when there is
// none or more than one.
std::string EntryShownAs(const std::string& folder, const QString& shown) {
    std::error_code error;
    std::string found;
    int matches = 0;
    for (const auto& entry :
         std::filesystem::directory_iterator(folder.empty() ? "/" : folder, error)) {
        const std::string name = entry.path().filename().native();
        if (QFile::decodeName(QByteArray::fromStdString(name)) == shown) {
            found = name;
            ++matches;
        }
    }
    return matches == 1 ? found : std::string();
}

// The patterns of a name filter: those in its last parentheses, or the whole
// filter when it has none.
QStringList FilterPatterns(const QString& filter) {
    const qsizetype open = filter.lastIndexOf(QLatin1Char('('));
    const qsizetype close = filter.lastIndexOf(QLatin1Char(')'));
    const QString patterns =
        open >= 0 && close > open ? filter.mid(open + 1, close - open - 1) : filter;
    return patterns.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// A file dialog that takes a name holding a wildcard for a filter, and lists
// the files whose names Qt cannot list.
class WildcardFileDialog final : public QFileDialog {
  public:
    WildcardFileDialog() : QFileDialog(nullptr) {
        setOption(QFileDialog::DontUseNativeDialog);
        // Qt leaves out of its listing every name that is not UTF-8: such
        // files of the folder that match the filter are listed below it, as
        // Qt shows names (U+FFFD for each byte that is not UTF-8); a click
        // puts one in the name field, and FileSystemName finds its bytes.
        m_pOtherLabel = new QLabel(tr("Files whose names are not UTF-8:"), this);
        m_pOther = new QListWidget(this);
        m_pOther->setObjectName(QStringLiteral("otherNames"));
        m_pOther->setMaximumHeight(m_pOther->fontMetrics().height() * 5);
        if (auto* grid = qobject_cast<QGridLayout*>(layout()); grid != nullptr) {
            const int row = grid->rowCount();
            grid->addWidget(m_pOtherLabel, row, 0, 1, -1);
            grid->addWidget(m_pOther, row + 1, 0, 1, -1);
        }
        connect(m_pOther, &QListWidget::currentTextChanged, this, [this](const QString& name) {
            if (!name.isEmpty()) {
                selectFile(name);
            }
        });
        connect(m_pOther, &QListWidget::itemDoubleClicked, this, &WildcardFileDialog::accept);
        connect(findChild<QFileSystemModel*>(), &QFileSystemModel::rootPathChanged, this,
                &WildcardFileDialog::ListOtherNames);
        connect(findChild<QComboBox*>(QStringLiteral("fileTypeCombo")),
                &QComboBox::currentTextChanged, this, &WildcardFileDialog::ListOtherNames);
        ListOtherNames();
    }

    void accept() override {
        const QStringList files = selectedFiles();
        if (files.isEmpty()) {
            return;
        }
        const QFileInfo chosen(files.front());
        if (HasWildcard(chosen.fileName())) {
            ShowOnly(chosen);
            return;
        }
        // Qt looked for the file under a name decoded as UTF-8; one whose
        // name is not UTF-8 is found only under its own bytes.
        if (acceptMode() == AcceptSave && !chosen.exists()) {
            const std::string bytes = FileSystemName(files.front());
            if (bytes != QFile::encodeName(files.front()).toStdString() &&
                std::filesystem::exists(bytes) && !AskToReplace(chosen.fileName())) {
                return;
            }
        }
        QFileDialog::accept();
    }

  private:
    void ListOtherNames() {
        m_pOther->clear();
        const QStringList patterns = FilterPatterns(selectedNameFilter());
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(
                 FileSystemName(directory().absolutePath()), error)) {
            const std::string name = entry.path().filename().native();
            const QString shown = QFile::decodeName(QByteArray::fromStdString(name));
            std::error_code notFile;
            if (QFile::encodeName(shown).toStdString() != name && !name.starts_with('.') &&
                !entry.is_directory(notFile) && QDir::match(patterns, shown)) {
                m_pOther->addItem(shown);
            }
        }
        m_pOther->sortItems();
        m_pOtherLabel->setVisible(m_pOther->count() > 0);
        m_pOther->setVisible(m_pOther->count() > 0);
    }

    // Lists only the names that match the pattern, in the pattern's folder;
    // the pattern stays in the name field.
    void ShowOnly(const QFileInfo& pattern) {
        if (pattern.dir() != directory() && pattern.dir().exists()) {
            setDirectory(pattern.dir());
        }
        QStringList filters = nameFilters();
        QString filter = pattern.fileName();
        for (const QString& existing : filters) {
            if (existing.endsWith(QLatin1Char('(') + filter + QLatin1Char(')'))) {
                filter = existing;
            }
        }
        if (!filters.contains(filter)) {
            setNameFilters(filters << filter);
        }
        selectNameFilter(filter);
        selectFile(pattern.fileName());
    }

    bool AskToReplace(const QString& name) {
        return ShowMessage(this, QMessageBox::Warning,
                           tr("%1 already exists.\nDo you want to replace it?").arg(name),
                           QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
    }

    QLabel* m_pOtherLabel;
    QListWidget* m_pOther;
};

}  // namespace

std::string FileSystemName(const QString& path) {
    if (!path.contains(QChar::ReplacementCharacter)) {
        return QFile::encodeName(path).toStdString();
    }
    std::string result;
    const QStringList parts = path.split(QLatin1Char('/'));
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0) {
            result += '/';
        }
        std::string part;
        if (parts[i].contains(QChar::ReplacementCharacter)) {
            part = EntryShownAs(result, parts[i]);
        }
        result += part.empty() ? QFile::encodeName(parts[i]).toStdString() : part;
    }
    return result;
}

std::optional<std::string> QtFileDialogs::Run(const FileDialogParams& params) {
    WildcardFileDialog dialog;
    dialog.setWindowTitle(params.open ? QStringLiteral("Open") : QStringLiteral("Save As"));
    dialog.setAcceptMode(params.open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    QString extension = QString::fromLatin1(params.defaultExtension);
    if (extension.startsWith(QLatin1Char('.'))) {
        extension.remove(0, 1);
    }
    dialog.setDefaultSuffix(extension);
    dialog.setNameFilter(QString::fromStdString(FilterDescriptions(params.filter)));
    dialog.selectFile(QString::fromLatin1(params.initialName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return FileSystemName(dialog.selectedFiles().front());
}
