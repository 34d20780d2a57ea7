// The empty project every new project file starts from, carried as a resource.
#pragma once

#include <QByteArray>
#include <optional>

namespace qlv {

inline constexpr const char* ProjectTemplatePath = ":/MDB/ID_MDB";

std::optional<QByteArray> readProjectTemplate();

} // namespace qlv
