#pragma once

namespace nocturo {

// The keys the application answers, from a keyboard or a remote paired as one.
enum class Key { Space, Enter };

} // namespace nocturo
