#include "core/CsvWriter.h"

#include "core/BirthdayText.h"
#include "core/ValueEncoding.h"

#include <initializer_list>

namespace {

// Writes the fields of one row; one writtenFlag serves the whole row.
class CsvFields {
  public:
    explicit CsvFields(OutputFile& file) : m_file(file) {}

    template <std::size_t N>
    void Text(const char (&literal)[N]) {
        m_file.WriteStringOfLength(literal, N - 1);
    }
    // A quoted field of one value, then ",".
    void Single(const char* value) {
        Text("\"");
        WriteValue(value, m_writtenFlag, m_file);
        Text("\",");
    }
    // The row's last field: a quoted value, then the line end.
    void Last(const char* value) {
        Text("\"");
        WriteValue(value, m_writtenFlag, m_file);
        Text("\"\n");
    }
    // A quoted field of the present values joined by the marker, then ",".
    void Joined(std::initializer_list<const char*> values) {
        Text("\"");
        StartGroup();
        Add(values);
        Text("\",");
    }
    void StartGroup() { m_writtenFlag = 0; }
    void Add(std::initializer_list<const char*> values) {
        for (const char* value : values) {
            WriteJoinedValue(value, m_writtenFlag, m_file);
        }
    }

  private:
    OutputFile& m_file;
    unsigned char m_writtenFlag = 0;
};

}  // namespace

void WriteCsvHeader(OutputFile& file) {
    file.WriteString("Name,Birthday,Hm Addr,Hm,Mob,Wk Info,Wk,Page,FAX,EMail,URLs,Note\n");
}

void WriteCsvRow(OutputFile& file, const ContactRecord& r, EmailList& otherEmails) {
    CsvFields out(file);
    out.Single(r.displayName);

    BirthdayText birthday;
    if (r.HasBirthday() && FormatCsvBirthday(r.birthday, birthday)) {
        out.Single(birthday.text);
    } else {
        out.Text(",");
    }

    // The first value of a joined field never gets a marker (the flag is 0),
    // so each joined field is written with WriteJoinedValue throughout.
    out.Joined({r.homeStreet, r.homeCity, r.homeState, r.homePostalCode, r.homeCountry});
    out.Single(r.homePhone);
    out.Single(r.mobilePhone);
    out.Joined({r.companyName, r.title, r.departmentName, r.officeLocation, r.businessStreet,
                r.businessCity, r.businessState, r.businessPostalCode, r.businessCountry});
    out.Single(r.businessPhone);
    out.Single(r.pagerPhone);
    out.Single(r.businessFax);

    out.Text("\"");
    out.StartGroup();
    out.Add({r.emailAddress});
    while (const char* entry = otherEmails.RemoveNextOther(r.emailAddress)) {
        out.Add({entry});
    }
    out.Text("\",");

    out.Joined({r.personalHomePage, r.businessHomePage});
    out.Last(r.comment);
}
