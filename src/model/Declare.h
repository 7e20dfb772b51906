#pragma once

// The chord and scale model and the program-wide state every window shares.
namespace model {
} // namespace model
