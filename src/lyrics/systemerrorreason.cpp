// The reasons the system gives for a failed file operation, told in Chinese.
#include "lyrics/systemerrorreason.h"

#include <cerrno>
#include <cstring>

using namespace Qt::StringLiterals;

namespace {

struct KnownError
{
    int error;
    const char16_t* reason;
};

// Grouped by what the user can do about it: the name, the place, the disk, the system.
constexpr KnownError kKnownErrors[] = {
    {ENAMETOOLONG, u"文件名太长"},
    {EINVAL, u"文件名无效，可能含有此磁盘不允许的字符"},
    {EILSEQ, u"文件名含有此磁盘不能保存的字符"},
    {EPERM, u"不允许这样操作：文件名可能含有此磁盘不允许的字符，或者文件受到保护"},
    {EACCES, u"没有写入的权限"},
    {ENOENT, u"文件或文件夹不存在"},
    {ENOTDIR, u"路径中的某一部分不是文件夹"},
    {EISDIR, u"这是一个文件夹，不是文件"},
    {ELOOP, u"路径中的符号链接太多，可能指向了自己"},
    {EEXIST, u"同名的文件已经存在"},
    {ENOTEMPTY, u"同名的文件夹已经存在且不是空的"},
    {EXDEV, u"不能跨磁盘替换文件"},
    {EMLINK, u"文件夹中的链接太多"},
    {EROFS, u"文件系统是只读的"},
    {ENOSPC, u"磁盘空间不足"},
    {EDQUOT, u"超出了磁盘配额"},
    {EFBIG, u"文件超过了系统允许的大小"},
    {EOVERFLOW, u"文件超过了系统允许的大小"},
    {EIO, u"读写磁盘时出错"},
    {ENXIO, u"设备不存在或没有准备好"},
    {ENODEV, u"设备不存在"},
    {EBUSY, u"文件或设备正在被使用"},
    {ETXTBSY, u"文件正在被其他程序使用"},
    {EOPNOTSUPP, u"这个磁盘不支持所需的操作"},
    {ESTALE, u"网络上的文件已经失效，请重新打开文件夹"},
    {ETIMEDOUT, u"网络磁盘没有及时响应"},
    {ENOTCONN, u"网络磁盘的连接已经断开"},
    {EINTR, u"操作被中断"},
    {EAGAIN, u"系统资源暂时不可用，请稍后再试"},
    {EMFILE, u"打开的文件太多"},
    {ENFILE, u"整个系统打开的文件太多"},
    {ENOMEM, u"内存不足"},
};

} // namespace

QString systemErrorReason(int error)
{
    for (const KnownError& known : kKnownErrors) {
        if (known.error == error)
            return QString::fromUtf16(known.reason);
    }
    return u"系统报告了一个错误：%1"_s.arg(QString::fromLocal8Bit(std::strerror(error)));
}
