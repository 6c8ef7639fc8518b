#include "driver/driver.h"

int main() { return driver::Run(); }
