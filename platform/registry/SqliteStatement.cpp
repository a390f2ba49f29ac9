#include "platform/registry/SqliteStatement.h"

#include <sqlite3.h>

sqlite3_stmt* CStatementCache::Prepared(const char* sql, int& result)
{
    const auto found = m_statements.find(sql);
    if (found != m_statements.end()) {
        result = SQLITE_OK;
        return found->second;
    }
    sqlite3_stmt* statement = nullptr;
    result = sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr);
    if (result != SQLITE_OK) {
        sqlite3_finalize(statement);
        return nullptr;
    }
    m_statements.emplace(sql, statement);
    return statement;
}

void CStatementCache::Clear()
{
    for (const auto& [sql, statement] : m_statements)
        sqlite3_finalize(statement);
    m_statements.clear();
}

CStatement::CStatement(CStatementCache& cache, const char* sql)
    : m_statement(cache.Prepared(sql, m_prepared))
{
}

CStatement::~CStatement()
{
    if (m_statement == nullptr)
        return;
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
}

void CStatement::Bind(int index, const std::string& text)
{
    sqlite3_bind_text(m_statement, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

void CStatement::Bind(int index, long long number)
{
    sqlite3_bind_int64(m_statement, index, number);
}

void CStatement::BindBlob(int index, const BYTE* data, DWORD size)
{
    if (size == 0) {
        sqlite3_bind_zeroblob(m_statement, index, 0);
    } else {
        sqlite3_bind_blob(m_statement, index, data, static_cast<int>(size), SQLITE_TRANSIENT);
    }
}

int CStatement::Step()
{
    return m_prepared == SQLITE_OK ? sqlite3_step(m_statement) : m_prepared;
}

std::string CStatement::Text(int column)
{
    const unsigned char* text = sqlite3_column_text(m_statement, column);
    if (text == nullptr)
        return {};
    return std::string(reinterpret_cast<const char*>(text),
                       static_cast<std::size_t>(sqlite3_column_bytes(m_statement, column)));
}

long long CStatement::Number(int column)
{
    return sqlite3_column_int64(m_statement, column);
}

std::vector<BYTE> CStatement::Blob(int column)
{
    const BYTE* blob = static_cast<const BYTE*>(sqlite3_column_blob(m_statement, column));
    return std::vector<BYTE>(blob, blob + sqlite3_column_bytes(m_statement, column));
}
