#pragma once
// The statement of the member query, per dialect. The SQL Server text is the suite's own,
// blank for blank; the SQLite text reads the same columns under the same names.
//
// SQLite differences: ifnull for isnull, substr for LEFT, the local time for getdate(),
// and rtrim where SQL Server's "=" ignores trailing blanks. SQLite sorts names by character
// codes; the member query puts them into German order afterwards.

#include "db/Database.h"

namespace qvl::member_query_sql {

inline constexpr DialectSql kSelect{
    u"SELECT personal.Id_Personal, Nummer, Name, Vorname, case when isnull(use_bank2,0) = 0 then BLZ else BLZ2 end as BLZ, "
    u"Anrede, Strasse, PLZ, Ort, Nation, case when isnull(use_bank2,0) = 0 then BANK else bank2 end as Bank, case when isnull(use_bank2,0) = 0 then KONTO else KONTO2 end as Konto, case when isnull(personal.Hektar,0) = 0 then ISNULL(wzuord.Hektar,0) else isnull(personal.Hektar,0) end Hektar,  Postfach, Bezeichnung, "
    u" case when isnull(use_bank2,0) = 0 then IBAN else IBAN2 end as IBAN, case when isnull(use_bank2,0) = 0 then BIC else BIC2 end as BIC, "
    u" ISNULL(MANDATSNUMMER,NUMMER) AS Mandatsnummer, Fixbeitrag1, Fixbeitrag2, Fixbeitrag3, Fixbeitrag4, Fixbeitrag5, "
    u"Ha1, Ha2, Ha3, Ha4, Ha5, Weitere1, Weitere2, Weitere3, "
    u"Weitere4, Weitere5, Angefangene1, Angefangene2, Angefangene3, "
    u"Angefangene4, Angefangene5, Flachenbertrag1, Flachenbertrag2, "
    u"Flachenbertrag3, Flachenbertrag4, Flachenbertrag5, number10, Zusatz1, Zusatz2,Zusatz3,Zusatz4,Zusatz5,"
    u" LEFT(replace(replace(replace(replace(ISNULL(PERSONAL.UID1,''),' ',''),'-',''),'_',''),'.',''),15) USTID, "
    u" replace(replace(replace(replace(ISNULL(PERSONAL.BLZ1,''),' ',''),'-',''),'_',''),'.','') Steuernummer, "
    u" cast(ISNULL(PERSONAL_FREE.BOXFREE1,0) as int) Lastschrift, "
    u" cast(case when ISNULL(PERSONAL_FREE.BOXFREE3,0) = 0 then 1 else 2 end as int) Unternehmer, "
    u" case when ISNULL(PERSONAL_FREE.BOXFREE3,0) = 0 then '' else LEFT(PERSONAL.Name,40) end NameUnternehmen, "
    u" ISNULL(PERSONAL.NATION,'DE') BankLaenderKZ, "
    u" case when isnull(PERSONAL.BLZ,'') = '' then 0 else 1 end as KennzifferHauptbankverbindung1,  "
    u" isnull(personal.Email,'') as Email, "
    u" ISNULL(Beitrittsdatum,getdate()) as Beitrittsdatum "
    u"from personal inner join personal_free on  personal.id_personal = personal_free.id_personal "
    u"left join waldb_verwaltung on personal.id_personal = waldb_verwaltung.id_personal "
    u"left join ( "
    u"select sum(wo.flaeche) as Hektar, id_personal "
    u"from wb_waldort_zuord wbz inner join waldort wo on wbz.id_waldort = wo.id_waldort "
    u"group by id_personal ) as wzuord on wzuord.id_personal = personal.id_personal "
    u" where  Abrech1 = 1 AND ISNULL(DISABLE,0) = 0  ",

    u"SELECT personal.Id_Personal, Nummer, Name, Vorname, case when ifnull(use_bank2,0) = 0 then BLZ else BLZ2 end as BLZ, "
    u"Anrede, Strasse, PLZ, Ort, Nation, case when ifnull(use_bank2,0) = 0 then BANK else bank2 end as Bank, case when ifnull(use_bank2,0) = 0 then KONTO else KONTO2 end as Konto, case when ifnull(personal.Hektar,0) = 0 then ifnull(wzuord.Hektar,0) else ifnull(personal.Hektar,0) end Hektar,  Postfach, Bezeichnung, "
    u" case when ifnull(use_bank2,0) = 0 then IBAN else IBAN2 end as IBAN, case when ifnull(use_bank2,0) = 0 then BIC else BIC2 end as BIC, "
    u" ifnull(MANDATSNUMMER,NUMMER) AS Mandatsnummer, Fixbeitrag1, Fixbeitrag2, Fixbeitrag3, Fixbeitrag4, Fixbeitrag5, "
    u"Ha1, Ha2, Ha3, Ha4, Ha5, Weitere1, Weitere2, Weitere3, "
    u"Weitere4, Weitere5, Angefangene1, Angefangene2, Angefangene3, "
    u"Angefangene4, Angefangene5, Flachenbertrag1, Flachenbertrag2, "
    u"Flachenbertrag3, Flachenbertrag4, Flachenbertrag5, number10, Zusatz1, Zusatz2,Zusatz3,Zusatz4,Zusatz5,"
    u" substr(replace(replace(replace(replace(ifnull(PERSONAL.UID1,''),' ',''),'-',''),'_',''),'.',''),1,15) USTID, "
    u" replace(replace(replace(replace(ifnull(PERSONAL.BLZ1,''),' ',''),'-',''),'_',''),'.','') Steuernummer, "
    u" cast(ifnull(PERSONAL_FREE.BOXFREE1,0) as integer) Lastschrift, "
    u" cast(case when ifnull(PERSONAL_FREE.BOXFREE3,0) = 0 then 1 else 2 end as integer) Unternehmer, "
    u" case when ifnull(PERSONAL_FREE.BOXFREE3,0) = 0 then '' else substr(PERSONAL.Name,1,40) end NameUnternehmen, "
    u" ifnull(PERSONAL.NATION,'DE') BankLaenderKZ, "
    u" case when rtrim(ifnull(PERSONAL.BLZ,'')) = '' then 0 else 1 end as KennzifferHauptbankverbindung1,  "
    u" ifnull(personal.Email,'') as Email, "
    u" ifnull(Beitrittsdatum,datetime('now','localtime')) as Beitrittsdatum "
    u"from personal inner join personal_free on  personal.id_personal = personal_free.id_personal "
    u"left join waldb_verwaltung on personal.id_personal = waldb_verwaltung.id_personal "
    u"left join ( "
    u"select sum(wo.flaeche) as Hektar, id_personal "
    u"from wb_waldort_zuord wbz inner join waldort wo on wbz.id_waldort = wo.id_waldort "
    u"group by id_personal ) as wzuord on wzuord.id_personal = personal.id_personal "
    u" where  Abrech1 = 1 AND ifnull(DISABLE,0) = 0  "};

// Payment type of the run.
inline constexpr DialectSql kDirectDebit{u" and BoxFree1 = 1", u" and BoxFree1 = 1"};
inline constexpr DialectSql kInvoice{u" and BoxFree2 = 1", u" and BoxFree2 = 1"};

// Followed directly by the owner list "(1001,1002)", checked before.
inline constexpr DialectSql kOwnerList{u" and nummer IN", u" and nummer IN"};

// The association number is bound twice: four digits with leading zeros, and plain.
inline constexpr DialectSql kAssociation{
    u" and (zusatz5 = ? or zusatz5 = ?)",
    u" and (rtrim(zusatz5) = ? or rtrim(zusatz5) = ?)"};

inline constexpr DialectSql kOrderByNumber{u" order by Nummer", u" order by Nummer"};
inline constexpr DialectSql kOrderByName{
    u" order by Name, Vorname, personal.id_personal ",
    u" order by Name COLLATE NOCASE, Vorname COLLATE NOCASE, personal.id_personal "};
inline constexpr DialectSql kOrderById{u" order by personal.id_personal ",
                                       u" order by personal.id_personal "};

// The owners without a joining date: the member query reads the day of the query for them,
// which pro rata bills as the month of joining. For the check before a run.
inline constexpr DialectSql kOwnersWithoutJoiningDate{
    u"select id_personal from personal where Beitrittsdatum is null",
    u"select id_personal from personal where Beitrittsdatum is null"};

} // namespace qvl::member_query_sql
