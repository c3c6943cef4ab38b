#pragma once
// The statements of the program's own table QVL32_EMAILS, per dialect: one row per outbox
// mail the mail server answered for good — taken ("gesendet") or refused ("abgelehnt", with
// the server's answer) — or that may have been taken ("unsicher": its whole text went, no
// answer came; since when in "antwort"). A mail with a row is never sent again unless the
// clerk sends the uncertain ones again.

#include "db/Database.h"

namespace qvl::sent_mail_sql {

inline constexpr DialectSql kTableExists{
    u"select count(*) from INFORMATION_SCHEMA.TABLES where TABLE_SCHEMA = 'dbo' and TABLE_NAME = 'QVL32_EMAILS'",
    u"select count(*) from sqlite_master where type = 'table' and name = 'QVL32_EMAILS'"};

inline constexpr DialectSql kCreateTable{
    u"create table dbo.QVL32_EMAILS (message_id nvarchar(250) not null primary key, waldbesitzer int not null, "
    u"datei nvarchar(400) not null, status nvarchar(20) not null, antwort nvarchar(1000) null, "
    u"zeit datetime not null default getdate())",
    u"create table QVL32_EMAILS (message_id text not null primary key, waldbesitzer integer not null, "
    u"datei text not null, status text not null, antwort text, zeit text not null default current_timestamp)"};

// Bound: the Message-ID, the owner's number, the outbox file, the status, the answer.
inline constexpr DialectSql kRecord{
    u"insert into dbo.QVL32_EMAILS (message_id, waldbesitzer, datei, status, antwort) values (?, ?, ?, ?, ?)",
    u"insert into QVL32_EMAILS (message_id, waldbesitzer, datei, status, antwort) values (?, ?, ?, ?, ?)"};

inline constexpr DialectSql kAll{u"select message_id, status, antwort, waldbesitzer, datei from dbo.QVL32_EMAILS",
                                 u"select message_id, status, antwort, waldbesitzer, datei from QVL32_EMAILS"};

// Bound: the Message-ID.
inline constexpr DialectSql kForget{u"delete from dbo.QVL32_EMAILS where message_id = ?",
                                    u"delete from QVL32_EMAILS where message_id = ?"};

} // namespace qvl::sent_mail_sql
