PARTS = {}
