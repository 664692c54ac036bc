#include "ui/FileDialogs.h"

#include <QFileDialog>
#include <QString>

#include <string_view>

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

std::optional<std::string> QtFileDialogs::Run(const FileDialogParams& params) {
    QFileDialog dialog(nullptr);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
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
    return dialog.selectedFiles().front().toLocal8Bit().toStdString();
}
