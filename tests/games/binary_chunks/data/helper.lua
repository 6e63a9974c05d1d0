return 5
