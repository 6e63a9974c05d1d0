good_value = 42
