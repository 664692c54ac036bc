#pragma once

#include <optional>
#include <string>

class QString;

// One file dialog as the commands ask for it: open or save, the default
// extension, the initial file name and the filter in the bar-separated form.
// Save dialogs ask before they replace an existing file.
struct FileDialogParams {
    bool open;
    const char* defaultExtension;
    const char* initialName;
    const char* filter;
};

// The four dialogs of the main window.
inline constexpr FileDialogParams kAddressBookDialog{
    true, ".wab", "*.wab", "Windows Address Book (*.wab)||vCard files (*.vcf)|*.vcf||"};
inline constexpr FileDialogParams kHeaderFileDialog{false, "csv", "*.csv",
                                                    "Header (CSV) (*.csv)||"};
inline constexpr FileDialogParams kCsvFileDialog{false, "csv", "*.csv",
                                                 "Comma Separated Values (CSV) (*.csv)||"};
inline constexpr FileDialogParams kVCardFileDialog{false, "vcf", "*.vcf",
                                                   "vCard files (vcf) (*.vcf)||"};

// Runs file dialogs; tests put a scripted one in its place.
class FileDialogs {
  public:
    virtual ~FileDialogs() = default;
    // The chosen full path, or nothing when the person cancelled.
    virtual std::optional<std::string> Run(const FileDialogParams& params) = 0;
};

// The name filters of a bar-separated filter string: each description, with
// the pattern it names in parentheses, as a file dialog shows it.
std::string FilterDescriptions(const char* barFilter);

// The bytes of a path that Qt shows as path. Qt decodes file names as UTF-8
// and puts U+FFFD for bytes that are not; such a name is found again in its
// folder's own listing.
std::string FileSystemName(const QString& path);

// The desktop's file dialog. A name holding `*` or `?` filters the folder's
// listing and never ends the dialog.
class QtFileDialogs final : public FileDialogs {
  public:
    std::optional<std::string> Run(const FileDialogParams& params) override;
};
