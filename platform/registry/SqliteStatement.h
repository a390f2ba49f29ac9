#pragma once
// A statement of one SQLite connection, prepared the first time its text is
// used and kept for the connection's life: the registry calls repeat a few
// statements, and preparing costs more than running them.
#include "platform/WinTypes.h"

#include <string>
#include <unordered_map>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// The prepared statements of one connection, by the address of their text,
// which is always a constant. It refers to its owner's connection handle,
// which may be opened after the cache is made.
class CStatementCache {
public:
    explicit CStatementCache(sqlite3*& db)
        : m_db(db)
    {
    }
    CStatementCache(const CStatementCache&) = delete;
    CStatementCache& operator=(const CStatementCache&) = delete;
    ~CStatementCache() { Clear(); }

    // The statement, or null with the error in result.
    sqlite3_stmt* Prepared(const char* sql, int& result);
    // Finalizes every statement; must happen before the connection closes.
    void Clear();

private:
    sqlite3*& m_db;
    std::unordered_map<const char*, sqlite3_stmt*> m_statements;
};

// One use of a cached statement; its end resets the statement, so that no
// read or write stays pending on the file between registry calls.
class CStatement {
public:
    CStatement(CStatementCache& cache, const char* sql);
    CStatement(const CStatement&) = delete;
    CStatement& operator=(const CStatement&) = delete;
    ~CStatement();

    void Bind(int index, const std::string& text);
    void Bind(int index, long long number);
    // A zero-length blob, never NULL, for an empty value.
    void BindBlob(int index, const BYTE* data, DWORD size);

    // SQLITE_ROW, SQLITE_DONE or the error.
    int Step();

    std::string Text(int column);
    long long Number(int column);
    std::vector<BYTE> Blob(int column);

private:
    sqlite3_stmt* m_statement;
    int m_prepared = 0;
};
