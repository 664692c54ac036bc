// The record a contact's property array is sorted into for the writers.
#pragma once

#include "properties/WabDefs.h"

// One contact's values, borrowed from its property array. A null pointer is an
// absent value; a pointer to an empty string is present.
struct ContactRecord {
    const char* givenName;
    const char* middleName;
    const char* surname;
    const char* displayName;
    const char* emailAddress;
    FILETIME birthday;  // absent when both halves are zero
    const char* companyName;
    const char* businessStreet;
    const char* businessCity;
    const char* businessState;
    const char* businessPostalCode;
    const char* businessCountry;
    const char* title;
    const char* departmentName;
    const char* officeLocation;
    const char* businessPhone;
    const char* businessFax;
    const char* pagerPhone;
    const char* businessHomePage;
    const char* homeStreet;
    const char* homeCity;
    const char* homeState;
    const char* homePostalCode;
    const char* homeCountry;
    const char* homePhone;
    const char* homeFax;
    const char* mobilePhone;
    const char* personalHomePage;
    const char* comment;

    bool HasBirthday() const { return birthday.dwLowDateTime != 0 || birthday.dwHighDateTime != 0; }
};
