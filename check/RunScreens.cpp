#include "check/RunScreens.h"

#include <stdexcept>

namespace qvl {

RunScreens &runScreens(UserInterface &ui)
{
    if (auto *screens = dynamic_cast<RunScreens *>(&ui))
        return *screens;
    throw std::logic_error("the user interface shows no run");
}

const RunScreens &runScreens(const UserInterface &ui)
{
    return runScreens(const_cast<UserInterface &>(ui));
}

} // namespace qvl
