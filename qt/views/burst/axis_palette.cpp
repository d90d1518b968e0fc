#include "views/burst/axis_palette.h"

axis_palette axis_palette::standard()
{
    return {QColor("#ff0000"), QColor("#00ff00"), QColor("#0000ff")};
}

axis_palette axis_palette::colour_blind_safe()
{
    return {QColor("#d55e00"), QColor("#009e73"), QColor("#0072b2")};
}
