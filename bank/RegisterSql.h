#pragma once
// The program's own tables of the register, per dialect:
//  - QVL32_LAEUFE: the runs that issued documents (name, year, fee type, the bank file's
//    message id, the files), one row per run, so that a document's row stays small;
//  - QVL32_BELEGE: every invoice and fee notice a run issued, one row per invoice number
//    (the number is the key: it can never be issued twice);
//  - QVL32_ZAHLUNGEN: what the bank's statements said about a document (a debit
//    collected, a transfer, a returned debit with its reason and charge);
//  - QVL32_UMSAETZE: the bank's entries already applied, so that a statement read twice
//    counts nothing twice;
//  - QVL32_AUSZUEGE: the statements and notifications applied (account, kind, the bank's
//    id with its sequence number), so that one read again is skipped as a whole.
// Dates are ISO texts on the embedded database, date columns on SQL Server; amounts whole
// cents. On SQL Server the tables are named with their schema, dbo; the index, made right
// after its table, names the table alone.

#include "db/Database.h"

namespace qvl::register_sql {

// Bound: the table's name.
inline constexpr DialectSql kTableExists{
    u"select count(*) from INFORMATION_SCHEMA.TABLES where TABLE_NAME = ?",
    u"select count(*) from sqlite_master where type = 'table' and name = ?"};

// sammler: the bank file's message id (a direct-debit run); kennung: the run's id as its
// files and mails carry it (added later: NULL in the rows of runs registered before).
inline constexpr DialectSql kCreateLaeufe{
    u"create table dbo.QVL32_LAEUFE (lauf int not null primary key, bezeichnung nvarchar(200) not null, "
    u"jahr nvarchar(20) null, typ nvarchar(200) null, sammler nvarchar(35) null, dateien nvarchar(1000) null, "
    u"erstellt datetime not null default getdate(), kennung nvarchar(40) null)",
    u"create table QVL32_LAEUFE (lauf integer not null primary key, bezeichnung text not null, jahr text, typ text, "
    u"sammler text, dateien text, erstellt text not null default current_timestamp, kennung text)"};

inline constexpr DialectSql kAddRunId{u"alter table dbo.QVL32_LAEUFE add kennung nvarchar(40) null",
                                      u"alter table QVL32_LAEUFE add column kennung text"};

// Bound: the table's name, the column's.
inline constexpr DialectSql kColumnExists{
    u"select count(*) from INFORMATION_SCHEMA.COLUMNS where TABLE_NAME = ? and COLUMN_NAME = ?",
    u"select count(*) from pragma_table_info(?) where name = ?"};

inline constexpr DialectSql kLastRun{u"select coalesce(max(lauf), 0) from dbo.QVL32_LAEUFE",
                                     u"select coalesce(max(lauf), 0) from QVL32_LAEUFE"};

inline constexpr DialectSql kInsertLauf{
    u"insert into dbo.QVL32_LAEUFE (lauf, bezeichnung, jahr, typ, sammler, dateien, kennung) "
    u"values (?, ?, ?, ?, ?, ?, ?)",
    u"insert into QVL32_LAEUFE (lauf, bezeichnung, jahr, typ, sammler, dateien, kennung) values (?, ?, ?, ?, ?, ?, ?)"};

// The documents with numbers from the first to the last, with their run. Bound: first, last.
inline constexpr DialectSql kIssuedBetween{
    u"select b.rechnr, b.art, b.id_personal, b.zahlweg, b.lauf, l.kennung, l.jahr, l.typ from dbo.QVL32_BELEGE b "
    u"join dbo.QVL32_LAEUFE l on l.lauf = b.lauf where b.rechnr between ? and ?",
    u"select b.rechnr, b.art, b.id_personal, b.zahlweg, b.lauf, l.kennung, l.jahr, l.typ from QVL32_BELEGE b "
    u"join QVL32_LAEUFE l on l.lauf = b.lauf where b.rechnr between ? and ?"};

// The same in a register made before runs had their id.
inline constexpr DialectSql kIssuedBetweenWithoutRunIds{
    u"select b.rechnr, b.art, b.id_personal, b.zahlweg, b.lauf, null, l.jahr, l.typ from dbo.QVL32_BELEGE b "
    u"join dbo.QVL32_LAEUFE l on l.lauf = b.lauf where b.rechnr between ? and ?",
    u"select b.rechnr, b.art, b.id_personal, b.zahlweg, b.lauf, null, l.jahr, l.typ from QVL32_BELEGE b "
    u"join QVL32_LAEUFE l on l.lauf = b.lauf where b.rechnr between ? and ?"};

// The debits of a run: their numbers and owners. Bound: the run.
inline constexpr DialectSql kDebitsOfRun{
    u"select rechnr, id_personal from dbo.QVL32_BELEGE where lauf = ? and zahlweg = 'Lastschrift'",
    u"select rechnr, id_personal from QVL32_BELEGE where lauf = ? and zahlweg = 'Lastschrift'"};

// art: "Rechnung" or "Beitragsbescheid"; zahlweg: "Lastschrift" or "Überweisung";
// ust_je_satz: "19=1234;7=56" (rate = VAT cents); lauf: the run (QVL32_LAEUFE).
inline constexpr DialectSql kCreateBelege{
    u"create table dbo.QVL32_BELEGE (rechnr bigint not null primary key, art nvarchar(20) not null, "
    u"id_personal int not null, nummer int not null, name nvarchar(200) not null, datum date null, "
    u"faellig date null, zahlweg nvarchar(20) not null, mandat nvarchar(35) null, iban nvarchar(34) null, "
    u"brutto_cent bigint not null, ust_cent bigint not null, ust_je_satz nvarchar(200) null, lauf int not null, "
    u"mahnstufe int not null default 0, letzte_mahnung date null)",
    u"create table QVL32_BELEGE (rechnr integer not null primary key, art text not null, "
    u"id_personal integer not null, nummer integer not null, name text not null, datum text, faellig text, "
    u"zahlweg text not null, mandat text, iban text, brutto_cent integer not null, ust_cent integer not null, "
    u"ust_je_satz text, lauf integer not null, mahnstufe integer not null default 0, letzte_mahnung text)"};

// art: "Lastschrift" (a debit collected), "Überweisung", "Rücklastschrift", "Storno" (a
// transfer or collection the bank reversed: betrag_cent is taken back); betrag_cent
// the amount booked for the document (a return: the amount returned), gebuehr_cent the
// bank's return charge.
inline constexpr DialectSql kCreateZahlungen{
    u"create table dbo.QVL32_ZAHLUNGEN (rechnr bigint not null, "
    u"art nvarchar(20) not null, betrag_cent bigint not null, gebuehr_cent bigint not null default 0, "
    u"grund nvarchar(4) null, buchungsdatum date not null, umsatz int null, "
    u"erfasst datetime not null default getdate())",
    u"create table QVL32_ZAHLUNGEN (rechnr integer not null, "
    u"art text not null, betrag_cent integer not null, gebuehr_cent integer not null default 0, grund text, "
    u"buchungsdatum text not null, umsatz integer, erfasst text not null default current_timestamp)"};

inline constexpr DialectSql kIndexZahlungen{
    u"create index ix_qvl32_zahlungen_rechnr on QVL32_ZAHLUNGEN (rechnr)",
    u"create index ix_qvl32_zahlungen_rechnr on QVL32_ZAHLUNGEN (rechnr)"};

// The entry's identity: account, the bank's reference (without one: the statement, the
// entry's place in it and a hash of its texts, BankEntry::identity), booking date, amount
// and direction.
// Its id is given by the program (the next after the highest) in the applying transaction;
// the payments it brought name it.
inline constexpr DialectSql kCreateUmsaetze{
    u"create table dbo.QVL32_UMSAETZE (id int not null primary key, konto nvarchar(34) not null, "
    u"referenz nvarchar(200) not null, buchungsdatum date not null, betrag_cent bigint not null, "
    u"soll_haben nvarchar(4) not null, name nvarchar(200) null, verwendung nvarchar(1000) null, "
    u"datei nvarchar(400) null, erfasst datetime not null default getdate(), "
    u"constraint uq_qvl32_umsatz unique (konto, referenz, buchungsdatum, betrag_cent, soll_haben))",
    u"create table QVL32_UMSAETZE (id integer not null primary key, konto text not null, "
    u"referenz text not null, buchungsdatum text not null, betrag_cent integer not null, soll_haben text not null, "
    u"name text, verwendung text, datei text, erfasst text not null default current_timestamp, "
    u"unique (konto, referenz, buchungsdatum, betrag_cent, soll_haben))"};

// art: "camt.053" (a statement) or "camt.054" (a notification); auszug: Stmt/Id or
// Ntfctn/Id, with "/" and the electronic sequence number when the bank gives one; erster:
// a digest of its first entry's identity, so that a bank that gives two statements the
// same id never has the second skipped.
inline constexpr DialectSql kCreateAuszuege{
    u"create table dbo.QVL32_AUSZUEGE (konto nvarchar(34) not null, art nvarchar(8) not null, "
    u"auszug nvarchar(80) not null, erster nvarchar(40) not null, datei nvarchar(400) null, umsaetze int not null, "
    u"gelesen datetime not null, constraint uq_qvl32_auszug unique (konto, art, auszug, erster))",
    u"create table QVL32_AUSZUEGE (konto text not null, art text not null, auszug text not null, erster text not null, "
    u"datei text, umsaetze integer not null, gelesen text not null, unique (konto, art, auszug, erster))"};

inline constexpr DialectSql kAllStatements{
    u"select konto, art, auszug, datei, gelesen, umsaetze, erster from dbo.QVL32_AUSZUEGE",
    u"select konto, art, auszug, datei, gelesen, umsaetze, erster from QVL32_AUSZUEGE"};

inline constexpr DialectSql kInsertStatement{
    u"insert into dbo.QVL32_AUSZUEGE (konto, art, auszug, datei, umsaetze, gelesen, erster) "
    u"values (?, ?, ?, ?, ?, ?, ?)",
    u"insert into QVL32_AUSZUEGE (konto, art, auszug, datei, umsaetze, gelesen, erster) values (?, ?, ?, ?, ?, ?, ?)"};

inline constexpr DialectSql kInsertBeleg{
    u"insert into dbo.QVL32_BELEGE (rechnr, art, id_personal, nummer, name, datum, faellig, zahlweg, mandat, iban, "
    u"brutto_cent, ust_cent, ust_je_satz, lauf) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
    u"insert into QVL32_BELEGE (rechnr, art, id_personal, nummer, name, datum, faellig, zahlweg, mandat, iban, "
    u"brutto_cent, ust_cent, ust_je_satz, lauf) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"};

inline constexpr DialectSql kCountDocuments{u"select count(*) from dbo.QVL32_BELEGE",
                                           u"select count(*) from QVL32_BELEGE"};

inline constexpr DialectSql kMaxNumber{u"select max(rechnr) from dbo.QVL32_BELEGE",
                                       u"select max(rechnr) from QVL32_BELEGE"};

// Bound: the first and the last number of a run.
inline constexpr DialectSql kTakenBetween{
    u"select count(*), min(rechnr) from dbo.QVL32_BELEGE where rechnr between ? and ?",
    u"select count(*), min(rechnr) from QVL32_BELEGE where rechnr between ? and ?"};

inline constexpr DialectSql kAllDocuments{
    u"select b.rechnr, b.art, b.id_personal, b.nummer, b.name, b.datum, b.faellig, b.zahlweg, b.mandat, b.iban, "
    u"b.brutto_cent, l.bezeichnung, l.jahr, l.typ, l.sammler, b.mahnstufe, "
    u"b.letzte_mahnung, l.dateien "
    u"from dbo.QVL32_BELEGE b join dbo.QVL32_LAEUFE l on l.lauf = b.lauf order by b.rechnr",
    u"select b.rechnr, b.art, b.id_personal, b.nummer, b.name, b.datum, b.faellig, b.zahlweg, b.mandat, b.iban, "
    u"b.brutto_cent, l.bezeichnung, l.jahr, l.typ, l.sammler, b.mahnstufe, "
    u"b.letzte_mahnung, l.dateien "
    u"from QVL32_BELEGE b join QVL32_LAEUFE l on l.lauf = b.lauf order by b.rechnr"};

inline constexpr DialectSql kAllPayments{
    u"select rechnr, art, betrag_cent, gebuehr_cent, grund, buchungsdatum from dbo.QVL32_ZAHLUNGEN "
    u"order by buchungsdatum, umsatz",
    u"select rechnr, art, betrag_cent, gebuehr_cent, grund, buchungsdatum from QVL32_ZAHLUNGEN "
    u"order by buchungsdatum, umsatz"};

inline constexpr DialectSql kInsertPayment{
    u"insert into dbo.QVL32_ZAHLUNGEN (rechnr, art, betrag_cent, gebuehr_cent, grund, buchungsdatum, umsatz) "
    u"values (?, ?, ?, ?, ?, ?, ?)",
    u"insert into QVL32_ZAHLUNGEN (rechnr, art, betrag_cent, gebuehr_cent, grund, buchungsdatum, umsatz) "
    u"values (?, ?, ?, ?, ?, ?, ?)"};

// Bound: account, reference, booking date, amount, direction.
inline constexpr DialectSql kEntryRead{
    u"select count(*) from dbo.QVL32_UMSAETZE where konto = ? and referenz = ? and buchungsdatum = ? "
    u"and betrag_cent = ? and soll_haben = ?",
    u"select count(*) from QVL32_UMSAETZE where konto = ? and referenz = ? and buchungsdatum = ? "
    u"and betrag_cent = ? and soll_haben = ?"};

inline constexpr DialectSql kAllEntryKeys{
    u"select konto, referenz, buchungsdatum, betrag_cent, soll_haben from dbo.QVL32_UMSAETZE",
    u"select konto, referenz, buchungsdatum, betrag_cent, soll_haben from QVL32_UMSAETZE"};

inline constexpr DialectSql kInsertEntry{
    u"insert into dbo.QVL32_UMSAETZE (id, konto, referenz, buchungsdatum, betrag_cent, soll_haben, name, verwendung, "
    u"datei) values (?, ?, ?, ?, ?, ?, ?, ?, ?)",
    u"insert into QVL32_UMSAETZE (id, konto, referenz, buchungsdatum, betrag_cent, soll_haben, name, verwendung, "
    u"datei) values (?, ?, ?, ?, ?, ?, ?, ?, ?)"};

inline constexpr DialectSql kLastEntryId{u"select coalesce(max(id), 0) from dbo.QVL32_UMSAETZE",
                                         u"select coalesce(max(id), 0) from QVL32_UMSAETZE"};

// Bound: the level, the day, the number.
inline constexpr DialectSql kSetReminder{
    u"update dbo.QVL32_BELEGE set mahnstufe = ?, letzte_mahnung = ? where rechnr = ?",
    u"update QVL32_BELEGE set mahnstufe = ?, letzte_mahnung = ? where rechnr = ?"};

// The stored fee of a collected debit: the suite keeps its invoice number in r_name.
// Bound: the day paid (NULL: not paid), the owner, the invoice number as text.
inline constexpr DialectSql kSetFeePaid{
    u"update PERSONAL_MG_BEITRAGE set datum_bezahlt = ? where id_personal = ? and r_name = ?",
    u"update PERSONAL_MG_BEITRAGE set datum_bezahlt = ? where id_personal = ? and r_name = ?"};

// The addressees of the letters.
inline constexpr DialectSql kOwnerAddresses{
    u"select id_personal, Anrede, Name, Vorname, Strasse, PLZ, Ort from personal",
    u"select id_personal, Anrede, Name, Vorname, Strasse, PLZ, Ort from personal"};

} // namespace qvl::register_sql
