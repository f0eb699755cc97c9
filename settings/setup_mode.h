#pragma once
// What the first command-line token asks for.
enum class SetupMode { Install, Usage, None, Admin, Help };
