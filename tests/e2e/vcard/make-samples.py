#!/usr/bin/python3
# Writes the sample vCard files of this folder with real vCard writers, once:
# evolution-*.vcf by Evolution's EVCard (libebook-contacts, through python3-gi),
# vobject-30.vcf by python3-vobject. The other samples are written by hand
# after what the named programs export. Run from this folder.
import gi

gi.require_version("EBookContacts", "1.2")
from gi.repository import EBookContacts as E
import vobject


def attr(card, name, values, **params):
    a = E.VCardAttribute.new(None, name)
    for v in values:
        a.add_value(v)
    for key, vals in params.items():
        p = E.VCardAttributeParam.new(key)
        for v in vals:
            p.add_value(v)
        a.add_param(p)
    card.add_attribute(a)


def evolution_card():
    c = E.VCard.new()
    attr(c, "FN", ["Zoë Ångström"])
    attr(c, "N", ["Ångström", "Zoë", "Q", "Dr.", ""])
    attr(c, "EMAIL", ["zoe@example.org"], TYPE=["HOME"])
    attr(c, "EMAIL", ["z.a@work.example"], TYPE=["WORK", "PREF"])
    attr(c, "TEL", ["+46 70 123 45 67"], TYPE=["CELL"])
    attr(c, "TEL", ["+46 8 555 00 00"], TYPE=["WORK", "VOICE"])
    attr(c, "TEL", ["+46 8 555 00 01"], TYPE=["WORK", "FAX"])
    attr(c, "TEL", ["+46 8 555 12 12"], TYPE=["HOME", "VOICE"])
    attr(c, "ORG", ["Nordic Widgets AB", "Research; Design"])
    attr(c, "TITLE", ["Lead, Widgets"])
    attr(c, "NOTE", ["First line\nSecond line; with semicolon, comma\\backslash"])
    attr(c, "URL", ["https://zoe.example.org/"])
    attr(c, "BDAY", ["1972-09-16"])
    attr(c, "ADR", ["PO Box 7", "Building 2", "Storgatan 1", "Stockholm", "", "111 22", "Sweden"],
         TYPE=["WORK"])
    attr(c, "ADR", ["", "Apt 3", "Hemvägen 5", "Uppsala", "Uppland", "753 20", "Sweden"],
         TYPE=["HOME"])
    return c


def evolution_group():
    c = E.VCard.new()
    attr(c, "FN", ["Book club"])
    attr(c, "X-EVOLUTION-LIST", ["TRUE"])
    attr(c, "KIND", ["group"])
    return c


for fmt, name in ((getattr(E.VCardFormat, "21"), "evolution-21.vcf"),
                  (getattr(E.VCardFormat, "30"), "evolution-30.vcf")):
    with open(name, "w", newline="") as out:
        for card in (evolution_card(), evolution_group()):
            out.write(card.to_string(fmt) + "\r\n")

v = vobject.vCard()
v.add("fn").value = "Émile Zola-Durand"
v.add("n").value = vobject.vcard.Name(family="Zola-Durand", given="Émile")
e = v.add("email"); e.value = "emile@example.fr"; e.type_param = "INTERNET"
e = v.add("email"); e.value = "ezd@work.example.fr"; e.type_paramlist = ["INTERNET", "PREF"]
t = v.add("tel"); t.value = "+33 1 23 45 67 89"; t.type_paramlist = ["WORK", "FAX"]
t = v.add("tel"); t.value = "+33 6 00 00 00 01"; t.type_param = "CELL"
t = v.add("tel"); t.value = "+33 1 00 00 00 02"; t.type_param = "PAGER"
a = v.add("adr"); a.value = vobject.vcard.Address(street="12, rue des Lilas", city="Paris",
                                                   code="75011", country="France")
a.type_param = "HOME"
v.add("org").value = ["Éditions Lumière", "Fiction"]
v.add("note").value = ("A long note that goes on for well over seventy-five octets, so that "
                       "vobject folds it.\nAnd a second line; with a semicolon.")
u = v.add("url"); u.value = "https://lumiere.example.fr/"; u.type_param = "WORK"
v.add("bday").value = "1980-02-29"
v2 = vobject.vCard()
v2.add("fn").value = "Nobody, No FN"
v2.add("n").value = vobject.vcard.Name(family="Nobody", given="No FN")
v2.add("email").value = "nofn@example.org"
with open("vobject-30.vcf", "w", newline="") as out:
    out.write(v.serialize())
    out.write(v2.serialize())
