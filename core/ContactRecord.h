#pragma once

#include "core/ContactTypes.h"

// Sorts a contact's property array into record (overwritten whole) and adds
// the values of PR_CONTACT_EMAIL_ADDRESSES at the head of otherEmails, so the
// list holds them last-to-first. Values of an unexpected type are ignored.
// Always returns 1.
int BuildContactRecord(const SPropValue* props, ULONG count, ContactRecord& record,
                       EmailList& otherEmails);
