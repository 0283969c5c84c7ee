// The sensor's two parameter memories, as exchanges, the model and the command line name them.
#pragma once

enum class Memory { Ram, Eeprom };
