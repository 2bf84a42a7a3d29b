#include "OrganizeError.h"

#include "Localization.h"

OrganizeError OrganizeError::sourceMissing(const FileLocation &source)
{
    OrganizeError error(Kind::SourceMissing);
    error.m_location = source;
    return error;
}

OrganizeError OrganizeError::destinationExists(const FileLocation &destination)
{
    OrganizeError error(Kind::DestinationExists);
    error.m_location = destination;
    return error;
}

OrganizeError OrganizeError::restoreConflict(const FileLocation &source)
{
    OrganizeError error(Kind::RestoreConflict);
    error.m_location = source;
    return error;
}

OrganizeError OrganizeError::applyFailed(QList<OrganizePlanItem> applied, const OrganizeError &underlying)
{
    OrganizeError error(Kind::ApplyFailed);
    error.m_items = std::move(applied);
    error.m_underlying = std::make_shared<const OrganizeError>(underlying);
    return error;
}

OrganizeError OrganizeError::undoFailed(QList<OrganizePlanItem> restored, const OrganizeError &underlying)
{
    OrganizeError error(Kind::UndoFailed);
    error.m_items = std::move(restored);
    error.m_underlying = std::make_shared<const OrganizeError>(underlying);
    return error;
}

OrganizeError OrganizeError::interrupted(QList<OrganizePlanItem> applied)
{
    OrganizeError error(Kind::Interrupted);
    error.m_items = std::move(applied);
    return error;
}

OrganizeError OrganizeError::file(const FileError &fileError)
{
    OrganizeError error(Kind::File);
    error.m_location = fileError.location;
    error.m_fileError = fileError;
    return error;
}

QString OrganizeError::text() const
{
    switch (m_kind) {
    case Kind::SourceMissing:
        return Lf("源文件不存在：%@", m_location.fileNameText());
    case Kind::DestinationExists:
        return Lf("目标文件已存在，未覆盖：%@", m_location.fileNameText());
    case Kind::RestoreConflict:
        return Lf("原位置已有同名文件，未覆盖：%@", m_location.displayPath());
    case Kind::ApplyFailed:
        return Lf("整理失败：%@", m_underlying->text());
    case Kind::UndoFailed:
        return Lf("撤销整理失败：%@", m_underlying->text());
    case Kind::Interrupted:
        return L("整理已中断。");
    case Kind::File:
        return m_fileError.text();
    }
    return {};
}
