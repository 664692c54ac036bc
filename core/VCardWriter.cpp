#include "core/VCardWriter.h"

#include "core/BirthdayText.h"
#include "core/ContactRecord.h"
#include "core/ValueEncoding.h"

namespace {

// Quoted-printable mode for exactly one line; also reset when a write fails.
class QuotedPrintableLine {
  public:
    QuotedPrintableLine() { quotedPrintableMode = true; }
    ~QuotedPrintableLine() { quotedPrintableMode = false; }
    QuotedPrintableLine(const QuotedPrintableLine&) = delete;
    QuotedPrintableLine& operator=(const QuotedPrintableLine&) = delete;
};

// Writes the literals and values of one vCard block.
class VCardLines {
  public:
    explicit VCardLines(OutputFile& file) : m_file(file) {}

    template <std::size_t N>
    void Text(const char (&literal)[N]) {
        m_file.WriteStringOfLength(literal, N - 1);
    }
    void Value(const char* value) { WriteValue(value, m_writtenFlag, m_file); }
    // "prefix", value, "\n" when the value is present.
    template <std::size_t N>
    void Line(const char (&prefix)[N], const char* value) {
        if (value != nullptr) {
            Text(prefix);
            Value(value);
            Text("\n");
        }
    }

  private:
    OutputFile& m_file;
    unsigned char m_writtenFlag = 0;
};

void WriteParts(VCardLines& out, const char* const* parts, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) {
            out.Text(";");
        }
        out.Value(parts[i]);
    }
}

bool AnyPresent(const char* const* parts, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        if (parts[i] != nullptr) {
            return true;
        }
    }
    return false;
}

void WriteNameLine(VCardLines& out, const ContactRecord& r) {
    if (r.surname != nullptr || r.givenName != nullptr) {
        const char* const parts[] = {r.surname, r.givenName, r.middleName};
        out.Text("N:");
        WriteParts(out, parts, 3);
        out.Text(";;\n");
    } else if (r.middleName != nullptr) {
        out.Text("N:");
        out.Text(";");
        out.Value(r.middleName);
        out.Text(";;;\n");
    } else {
        out.Text("N:;");
        out.Value(r.displayName);
        out.Text(";;;\n");
    }
}

template <std::size_t N>
void WriteAddressLine(VCardLines& out, const char (&prefix)[N], const char* const* parts,
                      std::size_t count) {
    if (!AnyPresent(parts, count)) {
        return;
    }
    const QuotedPrintableLine quoted;
    out.Text(prefix);
    WriteParts(out, parts, count);
    out.Text("\n");
}

}  // namespace

void WriteVCard(OutputFile& file, const SPropValue* props, ULONG count) {
    VCardLines out(file);
    out.Text("BEGIN:VCARD\n");
    out.Text("VERSION:2.1\n");

    ContactRecord r;
    EmailList otherEmails;
    BuildContactRecord(props, count, r, otherEmails);

    WriteNameLine(out, r);
    out.Line("FN:", r.displayName);
    BirthdayText birthday;
    if (r.HasBirthday() && FormatVCardBirthday(r.birthday, birthday)) {
        out.Line("BDAY:", birthday.text);
    }
    const char* const organisation[] = {r.companyName, r.departmentName};
    if (AnyPresent(organisation, 2)) {
        out.Text("ORG:");
        WriteParts(out, organisation, 2);
        out.Text("\n");
    }
    out.Line("TITLE:", r.title);
    if (r.comment != nullptr) {
        const QuotedPrintableLine quoted;
        out.Line("NOTE;ENCODING=QUOTED-PRINTABLE:", r.comment);
    }
    out.Line("TEL;WORK;VOICE:", r.businessPhone);
    out.Line("TEL;HOME:", r.homePhone);
    out.Line("TEL;HOME;CELL:", r.mobilePhone);
    out.Line("TEL;PAGER;WORK:", r.pagerPhone);
    out.Line("TEL;WORK;FAX:", r.businessFax);
    out.Line("TEL;HOME;FAX:", r.homeFax);

    const char* const work[] = {r.officeLocation, r.businessStreet,     r.businessCity,
                                r.businessState,  r.businessPostalCode, r.businessCountry};
    WriteAddressLine(out, "ADR;WORK;ENCODING=QUOTED-PRINTABLE:;", work, std::size(work));
    const char* const home[] = {r.homeStreet, r.homeCity, r.homeState, r.homePostalCode,
                                r.homeCountry};
    WriteAddressLine(out, "ADR;HOME;ENCODING=QUOTED-PRINTABLE:;;", home, std::size(home));

    out.Line("URL:", r.personalHomePage);
    out.Line("URL:", r.businessHomePage);
    while (const char* entry = otherEmails.RemoveNextOther(r.emailAddress)) {
        out.Line("EMAIL;INTERNET:", entry);
    }
    out.Line("EMAIL;PREF;INTERNET:", r.emailAddress);
    out.Text("END:VCARD\n");
}
