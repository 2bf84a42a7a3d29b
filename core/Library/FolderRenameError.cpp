#include "FolderRenameError.h"

#include "Localization.h"

QString FolderRenameError::errorDescription() const
{
    switch (kind) {
    case Kind::DestinationExists:
        return Lf("已存在同名文件夹：%@。", name);
    case Kind::InvalidName:
        break;
    }
    return L("文件夹名称不能为空，也不能包含“/”或“:”。");
}
